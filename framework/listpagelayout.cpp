#include "framework/listpagelayout.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace dm {

int ListPageLayout::MillimetresToTwips(double millimetres)
{
    return static_cast<int>(millimetres * 0.03937007874015748 * kTwipsPerInch);
}

int ListPageLayout::RowsTop() const
{
    return RuleY() + 2 * rowLine;
}

int ListPageLayout::RowsPerPage() const
{
    if (rowLine <= 0)
        return 1;
    const int top = std::max(RowsTop(), kReservedHeight);
    return std::max(1, (pageHeight - top) / rowLine);
}

int ListPageLayout::PageCount(int rows) const
{
    if (rows <= 0)
        return 0;
    const int perPage = RowsPerPage();
    return (rows + perPage - 1) / perPage;
}

int ListPageLayout::EndRow(int page, int rows) const
{
    return std::min(rows, FirstRow(page) + RowsPerPage());
}

long long PaperColumns::FullWidth(const std::vector<int>& textTwips)
{
    long long total = 0;
    for (int width : textTwips)
        total += std::max(0, width) + kGap;
    return total;
}

PaperColumns PaperColumns::Fit(const std::vector<int>& textTwips, int pageWidth)
{
    PaperColumns fit;
    const long long full = FullWidth(textTwips);
    if (full > pageWidth && full > 0)
        fit.scale = std::max(kSmallestScale, static_cast<double>(pageWidth) / static_cast<double>(full));
    // Past the smallest type each column gets its share of the page.
    const double shrink = full * fit.scale > pageWidth && full > 0 ? pageWidth / (full * fit.scale) : 1.0;
    fit.whole = shrink >= 1.0;
    double left = 0;
    for (int width : textTwips) {
        const double text = std::max(0, width) * fit.scale * shrink;
        const double gap = kGap * fit.scale * shrink;
        fit.x.push_back(static_cast<int>(std::floor(left)));
        // Rounded up so that a text measured to fit is not shortened.
        fit.room.push_back(static_cast<int>(std::ceil(text)));
        left += text + gap;
    }
    return fit;
}

} // namespace dm
