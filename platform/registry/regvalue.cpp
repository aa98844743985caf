#include "platform/registry/registry.h"

namespace dm {

RegValue RegValue::String(std::string name, std::string_view text)
{
    return RegValue{std::move(name), RegSz, std::string(text)};
}

RegValue RegValue::Dword(std::string name, std::uint32_t number)
{
    std::string data(4, '\0');
    for (int i = 0; i < 4; ++i)
        data[static_cast<std::size_t>(i)] = static_cast<char>((number >> (8 * i)) & 0xff);
    return RegValue{std::move(name), RegDword, std::move(data)};
}

RegValue RegValue::MultiString(std::string name, const std::vector<std::string>& strings)
{
    std::string data;
    for (const auto& s : strings) {
        // A string cannot hold the separator; it ends where a zero would be.
        data.append(s.substr(0, s.find('\0')));
        data += '\0';
    }
    data += '\0';
    return RegValue{std::move(name), RegMultiSz, std::move(data)};
}

bool RegValue::AsString(std::string& text) const
{
    if (type != RegSz && type != RegExpandSz)
        return false;
    // Text stops at an embedded zero, as a reader of the string would see it.
    text = data.substr(0, data.find('\0'));
    return true;
}

bool RegValue::AsDword(std::uint32_t& number) const
{
    if (type != RegDword || data.size() != 4)
        return false;
    number = 0;
    for (int i = 3; i >= 0; --i)
        number = (number << 8) | static_cast<unsigned char>(data[static_cast<std::size_t>(i)]);
    return true;
}

bool RegValue::AsMultiString(std::vector<std::string>& strings) const
{
    if (type != RegMultiSz)
        return false;
    strings.clear();
    std::size_t start = 0;
    while (start < data.size()) {
        std::size_t end = data.find('\0', start);
        if (end == std::string::npos)
            end = data.size(); // tolerate a missing final zero
        if (end == start)
            break; // the empty string ends the list
        strings.push_back(data.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

} // namespace dm
