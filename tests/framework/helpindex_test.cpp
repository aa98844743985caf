// The help index: its search, and the shipped pages' links and contexts.

#include "framework/helpindex.h"
#include "framework/helpmap.h"
#include "framework/helpwindow.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QListWidget>
#include <QTest>
#include <QTextBrowser>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

using namespace dm;

namespace {

const std::filesystem::path kHelp = std::filesystem::path(DM_SOURCE_DIR) / "docs" / "help";

std::vector<std::string> Files(const std::vector<const HelpPage*>& pages)
{
    std::vector<std::string> files;
    for (const HelpPage* page : pages)
        files.push_back(page->file);
    return files;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Whether a page names this anchor (id="..." or name="...").
bool HoldsAnchor(const std::string& html, const std::string& anchor)
{
    return html.find("id=\"" + anchor + "\"") != std::string::npos ||
           html.find("name=\"" + anchor + "\"") != std::string::npos;
}

} // namespace

TEST(HelpIndex, ReadsTitlesAndPlainTextFromPages)
{
    const std::string html = "<html><head><title>Ports &amp; lines</title></head>\n<body><h1>Ports</h1>"
                             "<p>Each <b>port</b>\n  is &lt;listed&gt;.</p><a href=\"a.html#x\">A</a> "
                             "<A HREF=\"b.html\">B</A></body></html>";
    EXPECT_EQ(HelpIndex::TitleOf(html), "Ports & lines");
    EXPECT_EQ(HelpIndex::PlainText(html), "Ports Each port is <listed>. A B");
    EXPECT_EQ(HelpIndex::LinksOf(html), (std::vector<std::string>{"a.html#x", "b.html"}));
    EXPECT_EQ(HelpIndex::TitleOf("<p>no title</p>"), "");
}

TEST(HelpIndex, SearchNeedsEveryWordAndPutsTitleMatchesFirst)
{
    HelpIndex index;
    index.Add({"users.html", "Users", "accounts with their sessions and the time used"});
    index.Add({"history.html", "History", "every session of the users, with its length"});
    index.Add({"userprops.html", "User properties", "limits of one account: session time, expiry"});
    index.Add({"graphs.html", "Usage graphs", "free and busy ports"});
    // Sorted by title, whatever the order of adding.
    EXPECT_EQ(Files(index.Search("")), (std::vector<std::string>{"history.html", "graphs.html",
                                                                 "userprops.html", "users.html"}));
    // "user" is in two titles (those first, by title) and in one text.
    EXPECT_EQ(Files(index.Search("USER")),
              (std::vector<std::string>{"userprops.html", "users.html", "history.html"}));
    // Every word must be found, in the title or the text.
    EXPECT_EQ(Files(index.Search("session  expiry")), (std::vector<std::string>{"userprops.html"}));
    EXPECT_EQ(Files(index.Search("busy ports")), (std::vector<std::string>{"graphs.html"}));
    EXPECT_TRUE(index.Search("modem").empty());
}

TEST(HelpIndex, TheShippedPagesAreAllIndexedWithTitles)
{
    HelpIndex index;
    ASSERT_TRUE(index.Load(kHelp));
    EXPECT_GE(index.Pages().size(), 23u);
    for (const HelpPage& page : index.Pages()) {
        EXPECT_FALSE(page.title.empty()) << page.file;
        EXPECT_GT(page.text.size(), 200u) << page.file << " says what the window shows and how to use it";
    }
    EXPECT_FALSE(index.Load(kHelp / "missing"));
}

TEST(HelpIndex, EveryLinkOfEveryShippedPageResolves)
{
    std::vector<std::filesystem::path> pages;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(kHelp))
        if (entry.path().extension() == ".html")
            pages.push_back(entry.path());
    ASSERT_FALSE(pages.empty());
    int links = 0;
    for (const std::filesystem::path& page : pages) {
        for (const std::string& link : HelpIndex::LinksOf(ReadText(page))) {
            if (link.rfind("http", 0) == 0 || link.rfind("mailto:", 0) == 0)
                continue;
            ++links;
            const auto hash = link.find('#');
            const std::string file = link.substr(0, hash);
            const std::filesystem::path target = file.empty() ? page : page.parent_path() / file;
            ASSERT_TRUE(std::filesystem::exists(target)) << page.filename() << " links to " << link;
            if (hash != std::string::npos) {
                EXPECT_TRUE(HoldsAnchor(ReadText(target), link.substr(hash + 1))) << page.filename() << ": " << link;
            }
        }
    }
    EXPECT_GT(links, 50);
}

TEST(HelpIndex, EveryTopicOfTheMapOpensAnExistingPageAndAnchor)
{
    HelpMap map;
    ASSERT_TRUE(map.Load(kHelp));
    EXPECT_TRUE(map.Errors().empty());
    HelpIndex index;
    index.Load(kHelp);
    std::set<std::string> mapped;
    for (int context = 0; context < 1000; ++context) {
        const auto found = map.Find(context);
        if (!found || found->kind != HelpContext::Kind::Topic)
            continue;
        ASSERT_TRUE(std::filesystem::exists(map.PagePath(context))) << context;
        if (!found->anchor.empty()) {
            EXPECT_TRUE(HoldsAnchor(ReadText(map.PagePath(context)), found->anchor)) << context;
        }
        mapped.insert(found->page);
    }
    // Every page but the introduction is some window's page; the rest reach
    // it from the contents.
    for (const HelpPage& page : index.Pages()) {
        if (page.file != "quickintro.html") {
            EXPECT_TRUE(mapped.count(page.file)) << page.file << " is no window's page";
        }
    }
}

TEST(HelpWindow, TheSearchFieldFiltersThePageListAndEnterOpensTheFirst)
{
    setenv("DIALMIND_HELP_DIR", kHelp.c_str(), 1);
    ASSERT_TRUE(CHelpWindow::ShowContext(1));
    CHelpWindow* window = CHelpWindow::SharedWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->CurrentPage(), "index.html");
    const int all = window->PageList()->count();
    EXPECT_GE(all, 23);
    QTest::keyClicks(window->SearchField(), "call back");
    ASSERT_GE(window->PageList()->count(), 1);
    EXPECT_LT(window->PageList()->count(), all);
    QStringList titles;
    for (int i = 0; i < window->PageList()->count(); ++i)
        titles << window->PageList()->item(i)->text();
    EXPECT_TRUE(titles.contains("User properties")) << titles.join(", ").toStdString();
    QTest::keyClick(window->SearchField(), Qt::Key_Return);
    EXPECT_EQ(window->CurrentPage(), window->PageList()->item(0)->data(Qt::UserRole).toString());
    EXPECT_TRUE(window->Browser()->textCursor().hasSelection()) << "the word found is marked";

    window->SearchField()->setText("zzqx nothing");
    ASSERT_EQ(window->PageList()->count(), 1);
    EXPECT_TRUE(window->PageList()->item(0)->data(Qt::UserRole).toString().isEmpty());
    window->SearchField()->clear();
    EXPECT_EQ(window->PageList()->count(), all);
    EXPECT_TRUE(window->OpenPage("history.html"));
    EXPECT_EQ(window->PageList()->currentItem()->text(), "History") << "the list follows the page shown";
    EXPECT_FALSE(window->OpenPage("../secret.html"));
    window->close();
}

TEST(HelpWindow, HelpFromAModalDialogCanBeUsedAndOutlivesIt)
{
    setenv("DIALMIND_HELP_DIR", kHelp.c_str(), 1);
    auto* dialog = new QDialog;
    dialog->setModal(true);
    dialog->show();
    ASSERT_EQ(QApplication::activeModalWidget(), dialog);
    ASSERT_TRUE(CHelpWindow::ShowContext(1, dialog));
    QPointer<CHelpWindow> window = CHelpWindow::SharedWindow();
    ASSERT_TRUE(window);
    // Not blocked by the dialog: it belongs to it while it is open.
    EXPECT_EQ(window->parentWidget(), dialog);
    EXPECT_TRUE(window->isWindow());
    dialog->hide();
    delete dialog;
    ASSERT_TRUE(window) << "closing the dialog does not close help";
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    window->close();
}
