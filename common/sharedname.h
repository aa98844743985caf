#pragma once
// A text stored once for the whole program: the server, port and account
// names (and the IPX and NetBIOS addresses) of loaded log records. A year of
// events names the same few hundred texts a million times; each record holds
// a pointer to the one copy instead of its own strings, so that it takes a
// quarter of the room.
//
// A SharedName converts to std::string_view and to const std::string& and
// compares with texts like a string, so that code written for strings reads
// it unchanged. Two SharedNames are equal when their texts are (same text,
// same copy: the comparison is of pointers). Stored texts are never freed:
// the program's distinct names are few. Interning is thread-safe.

#include <compare>
#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace dm {

class SharedName {
public:
    SharedName() = default;
    SharedName(std::string_view text) : m_text(Intern(text)) {}
    SharedName(const std::string& text) : m_text(Intern(text)) {}
    SharedName(const char* text) : m_text(Intern(text)) {}

    const std::string& str() const { return m_text ? *m_text : Empty(); }
    operator const std::string&() const { return str(); }
    operator std::string_view() const { return str(); }
    std::string_view view() const { return str(); }

    bool empty() const { return m_text == nullptr; }
    void clear() { m_text = nullptr; }
    std::size_t size() const { return str().size(); }
    const char* data() const { return str().data(); }
    const char* c_str() const { return str().c_str(); }
    char operator[](std::size_t i) const { return str()[i]; }

    friend bool operator==(const SharedName& a, const SharedName& b) { return a.m_text == b.m_text; }
    friend bool operator==(const SharedName& a, std::string_view b) { return a.view() == b; }
    friend bool operator==(const SharedName& a, const std::string& b) { return a.view() == b; }
    friend bool operator==(const SharedName& a, const char* b) { return a.view() == b; }
    friend std::strong_ordering operator<=>(const SharedName& a, const SharedName& b)
    {
        return a.view() <=> b.view();
    }
    friend std::strong_ordering operator<=>(const SharedName& a, std::string_view b) { return a.view() <=> b; }
    friend std::strong_ordering operator<=>(const SharedName& a, const std::string& b)
    {
        return a.view() <=> std::string_view(b);
    }
    friend std::strong_ordering operator<=>(const SharedName& a, const char* b)
    {
        return a.view() <=> std::string_view(b);
    }

    friend std::string operator+(const SharedName& a, const SharedName& b) { return a.str() + b.str(); }
    friend std::string operator+(const SharedName& a, std::string_view b) { return a.str() + std::string(b); }
    friend std::string operator+(const SharedName& a, const std::string& b) { return a.str() + b; }
    friend std::string operator+(const SharedName& a, const char* b) { return a.str() + b; }
    friend std::string operator+(std::string_view a, const SharedName& b) { return std::string(a) + b.str(); }
    friend std::string operator+(const std::string& a, const SharedName& b) { return a + b.str(); }
    friend std::string operator+(const char* a, const SharedName& b) { return a + b.str(); }
    friend std::string operator+(const SharedName& a, char b) { return a.str() + b; }

    // How many distinct texts the program holds, and their bytes (with the
    // table that finds them): what sharing costs.
    static std::size_t StoredCount();
    static std::size_t StoredBytes();

private:
    // Null for the empty text, else the one stored copy.
    static const std::string* Intern(std::string_view text);
    static const std::string& Empty();

    const std::string* m_text = nullptr;
};

std::ostream& operator<<(std::ostream& out, const SharedName& name);

} // namespace dm
