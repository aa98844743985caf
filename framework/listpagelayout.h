#pragma once
// Where a printed list puts its lines, in twips (1/1440 inch) from the top
// left corner of the printable area. Plain arithmetic without Qt, shared by
// every list pane that prints (history, users) so that all print alike.
//
// A page:
//   y 0                     the banner line, in the banner font;
//   5 banner lines down     the title, in the bold font;
//   2 bold lines down       the column headers, in the row font;
//   1 row line down         a rule across the page;
//   2 row lines down        the rows, one per row line.
// Rows per page = (page height - 2000) / row line. The block above the rows
// is counted as at least 2000 twips, so every row a page is given fits on
// it; page p prints the rows from (p - 1) * rows per page: each row appears
// exactly once, and page count = rows / rows per page rounded up.

#include <vector>

namespace dm {

struct ListPageLayout {
    static constexpr int kTwipsPerInch = 1440;
    static constexpr int kReservedHeight = 2000;
    // The rule under the headers ends here at most.
    static constexpr int kRuleEnd = 20000;

    int pageWidth = 0;   // printable area, twips
    int pageHeight = 0;
    int bannerLine = 0;  // line heights of the three fonts, twips
    int boldLine = 0;
    int rowLine = 0;

    static int MillimetresToTwips(double millimetres);

    int TitleY() const { return 5 * bannerLine; }
    int HeadersY() const { return TitleY() + 2 * boldLine; }
    int RuleY() const { return HeadersY() + rowLine; }
    // The first row's y on every page.
    int RowsTop() const;
    int RowY(int indexOnPage) const { return RowsTop() + indexOnPage * rowLine; }
    int RuleEnd() const { return pageWidth < kRuleEnd ? pageWidth : kRuleEnd; }

    // At least 1, also on a page too small for any row.
    int RowsPerPage() const;
    // 0 rows: 0 pages.
    int PageCount(int rows) const;
    // The rows of page (1-based): [first, end).
    int FirstRow(int page) const { return (page - 1) * RowsPerPage(); }
    int EndRow(int page, int rows) const;
};

// How a list's columns go onto paper so that every column is printed with
// whole cells: each column is as wide as its widest text (header or cell,
// measured in the row font at full size) plus a gap. When the columns are
// wider than the page the type is made smaller until they fit, down to
// kSmallestScale; only past that are cells shortened, each column keeping
// its share of the page.
struct PaperColumns {
    static constexpr int kGap = 160;              // twips between two columns
    static constexpr double kSmallestScale = 0.6; // of the row font

    double scale = 1.0;     // the row font's size, a share of its full size
    std::vector<int> x;     // left edges, twips
    std::vector<int> room;  // the width each column's text may take, twips
    bool whole = true;      // false: the smallest type is still too wide

    // `textTwips`: each column's widest text at full size.
    static PaperColumns Fit(const std::vector<int>& textTwips, int pageWidth);
    // The width the columns take at full size, gaps included.
    static long long FullWidth(const std::vector<int>& textTwips);
};

} // namespace dm
