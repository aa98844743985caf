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

std::vector<int> ListPageLayout::ColumnX(const std::vector<int>& screenWidths, int clientWidth) const
{
    std::vector<int> x;
    x.reserve(screenWidths.size());
    std::int64_t left = 0;
    for (int width : screenWidths) {
        x.push_back(static_cast<int>(left));
        if (clientWidth > 0)
            left += static_cast<std::int64_t>(std::max(0, width)) * pageWidth / clientWidth;
    }
    return x;
}

} // namespace dm
