// dm_mkmedium: writes an installation medium, every file compressed under
// the name setup looks for ("DIALMIND.EX_"), plus setup itself.
//
//   dm_mkmedium OUTDIR HELPDIR [INSTALLED=FILE ...] [--setup FILE]
//
// The help pages of HELPDIR become DM.HLP (one document) and DM.CNT (its
// contents); Dialmind.hw and Dialmind.usr start empty; the two runtime files
// are small markers that carry a file version for the version check.

#include "common/text.h"
#include "platform/files/lzexpand.h"
#include "setup/installer.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteCompressed(const fs::path& outDir, const std::string& installed, const std::string& data)
{
    const std::vector<std::uint8_t> bytes(data.begin(), data.end());
    const auto packed = dm::SzddCompress(bytes, dm::Installer::SourceMissingChar(installed));
    const fs::path target = outDir / dm::Installer::SourceName(installed);
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(packed.data()), static_cast<std::streamsize>(packed.size()));
    std::cout << "  " << target.filename().string() << "  (" << installed << ", " << data.size()
              << " bytes)\n";
    return static_cast<bool>(out);
}

// The text between the tag that starts with open (up to its '>') and close,
// found without regard to case; empty when either is missing.
std::string Between(const std::string& text, const std::string& open, const std::string& close)
{
    const std::string lower = dm::LowerAscii(text);
    auto start = lower.find(open);
    if (start == std::string::npos)
        return {};
    start = lower.find('>', start);
    if (start == std::string::npos)
        return {};
    const auto end = lower.find(close, start + 1);
    return end == std::string::npos ? std::string() : text.substr(start + 1, end - start - 1);
}

// Links between pages become links within the one document: "x.html" to
// "#x", "x.html#part" to "#part" (the anchors inside a page keep their
// names). Links that leave the help (a scheme, a path) are kept.
std::string LinksWithinDocument(const std::string& html)
{
    std::string out;
    std::size_t at = 0;
    const std::string attribute = "href=\"";
    for (std::size_t found; (found = html.find(attribute, at)) != std::string::npos;) {
        const std::size_t start = found + attribute.size();
        const std::size_t end = html.find('"', start);
        if (end == std::string::npos)
            break;
        std::string target = html.substr(start, end - start);
        const std::size_t hash = target.find('#');
        const std::string page = target.substr(0, hash);
        if (page.size() > 5 && dm::EndsWithNoCase(page, ".html") &&
            page.find_first_of(":/\\") == std::string::npos)
            target = hash != std::string::npos ? target.substr(hash)
                                               : "#" + page.substr(0, page.size() - 5);
        out += html.substr(at, start - at) + target;
        at = end;
    }
    return out + html.substr(at);
}

// The help pages as one document with an anchor per page, and its contents.
std::pair<std::string, std::string> BuildHelp(const fs::path& helpDir)
{
    std::vector<fs::path> pages;
    // The increment's own error ends the listing; it never throws.
    std::error_code listing;
    for (fs::directory_iterator it(helpDir, listing), end;
         !listing && it != end; it.increment(listing)) {
        const auto& entry = *it;
        if (entry.path().extension() == ".html")
            pages.push_back(entry.path());
    }
    std::sort(pages.begin(), pages.end(), [](const fs::path& a, const fs::path& b) {
        const bool ai = a.filename() == "index.html", bi = b.filename() == "index.html";
        return ai != bi ? ai : a.filename() < b.filename();
    });
    std::string body, contents = ":Base DM.HLP\r\n:Title Dialminder for Windows NT Help\r\n";
    for (const fs::path& page : pages) {
        const std::string html = ReadAll(page);
        std::string title = Between(html, "<title", "</title>");
        if (title.empty())
            title = page.stem().string();
        const std::string anchor = page.stem().string();
        body += "<section id=\"" + anchor + "\">\n" + LinksWithinDocument(Between(html, "<body", "</body>")) +
                "\n</section>\n<hr>\n";
        contents += "1 " + title + "=" + anchor + "\r\n";
    }
    const std::string document = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\">"
                                 "<title>Dialminder for Windows NT Help</title></head><body>\n" +
                                 body + "</body></html>\n";
    return {document, contents};
}

std::string RuntimeMarker(const std::string& name, const std::string& version)
{
    return "Dialminder runtime file " + name + "\r\nFileVersion=" + version +
           "\r\nThis file stands for the shared runtime library that the programs of "
           "Dialminder for Windows NT were built with; setup installs it by version.\r\n";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3 || std::string(argv[1]) == "--help") {
        std::cout << "Usage: dm_mkmedium OUTDIR HELPDIR [INSTALLED=FILE ...] [--setup FILE]\n"
                     "Writes the installation medium: each FILE compressed (SZDD) under the\n"
                     "source name of INSTALLED, the help pages as DM.HLP and DM.CNT, empty\n"
                     "settings files, the runtime markers, and setup itself.\n";
        return argc < 3 ? 1 : 0;
    }
    const fs::path outDir = argv[1];
    const fs::path helpDir = argv[2];
    std::error_code ec;
    fs::create_directories(outDir, ec);
    std::cout << "Installation medium in " << outDir.string() << ":\n";
    bool ok = true;
    int missing = 0;
    for (int i = 3; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--setup" && i + 1 < argc) {
            const fs::path setup = argv[++i];
            fs::copy_file(setup, outDir / "setup", fs::copy_options::overwrite_existing, ec);
            if (ec) {
                std::cerr << "dm_mkmedium: cannot copy " << setup.string() << ": " << ec.message() << "\n";
                return 2;
            }
            std::cout << "  setup\n";
            continue;
        }
        const auto eq = arg.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::cerr << "dm_mkmedium: expected INSTALLED=FILE, got " << arg << "\n";
            return 1;
        }
        const std::string installed = arg.substr(0, eq);
        const fs::path file = arg.substr(eq + 1);
        if (!fs::is_regular_file(file, ec)) {
            std::cout << "  (" << installed << " is not on the medium: " << file.string()
                      << " has not been built)\n";
            ++missing;
            continue;
        }
        ok = WriteCompressed(outDir, installed, ReadAll(file)) && ok;
    }
    const auto [help, contents] = BuildHelp(helpDir);
    ok = WriteCompressed(outDir, "DM.HLP", help) && ok;
    ok = WriteCompressed(outDir, "DM.CNT", contents) && ok;
    ok = WriteCompressed(outDir, "DIALMIND.HW", "") && ok;
    ok = WriteCompressed(outDir, "DIALMIND.USR", "") && ok;
    ok = WriteCompressed(outDir, "MFC42.DLL", RuntimeMarker("MFC42.DLL", "4.21.0.7022")) && ok;
    ok = WriteCompressed(outDir, "MSVCRT40.DLL", RuntimeMarker("MSVCRT40.DLL", "4.20.0.6164")) && ok;
    if (missing)
        std::cout << missing << " program(s) missing from the medium.\n";
    return ok ? 0 : 2;
}
