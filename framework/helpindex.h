#pragma once
// The index of the help pages: every page of the help directory with its
// title and plain text, searchable by words. The help window's search field
// filters its page list with it.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace dm {

struct HelpPage {
    std::string file;  // relative to the help directory, e.g. "history.html"
    std::string title; // the page's <title>
    std::string text;  // the body as plain text, entities decoded
};

class HelpIndex {
public:
    // Reads every *.html of the directory (pop-up texts in sub-directories
    // are no pages of their own). False when the directory cannot be read.
    bool Load(const std::filesystem::path& directory);
    void Add(HelpPage page);

    // Pages sorted by title.
    const std::vector<HelpPage>& Pages() const { return m_pages; }
    // The pages that hold every word of the query in their title or text,
    // without regard to case: those with every word in the title first, then
    // the others, each group by title. An empty query gives every page.
    std::vector<const HelpPage*> Search(std::string_view query) const;

    static std::string TitleOf(std::string_view html);
    static std::string PlainText(std::string_view html);
    // The href targets of the page's links, as written.
    static std::vector<std::string> LinksOf(std::string_view html);

private:
    std::vector<HelpPage> m_pages;
};

} // namespace dm
