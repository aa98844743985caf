#include "manager/core/historycolumns.h"

namespace dm {

namespace {

struct ColumnNames {
    HistoryColumn kind;
    const char* name;
    const char* list;
    const char* print;
    const char* csv;
};

constexpr ColumnNames kNames[] = {
    {HistoryColumn::Time, "time", "Time", "Time/Date", "Time/Date"},
    {HistoryColumn::Server, "server", "Server", "Server", ",Server"},
    {HistoryColumn::Port, "port", "Port", "Port", ",Port"},
    {HistoryColumn::Action, "action", "Action", "Action", ",Action"},
    {HistoryColumn::Information, "information", "Information", "Information", ",Information"},
    {HistoryColumn::User, "user", "User", "User Account", ",User"},
    {HistoryColumn::Ip, "ip", "IP", "IP Address", ",IP"},
    {HistoryColumn::NetBios, "netbios", "NetBIOS", "NetBIOS", ",NetBIOS"},
    {HistoryColumn::Ipx, "ipx", "IPX", "IPX", ",IPX"},
    {HistoryColumn::Lasted, "lasted", "Lasted", "Lasted", ",Lasted"},
};

const ColumnNames& NamesOf(HistoryColumn kind)
{
    for (const ColumnNames& names : kNames) {
        if (names.kind == kind)
            return names;
    }
    return kNames[0];
}

} // namespace

std::vector<HistoryColumn> HistoryColumnsOf(int mask)
{
    std::vector<HistoryColumn> columns{HistoryColumn::Time};
    for (HistoryColumn kind : kHistoryColumnOrder) {
        if (kind != HistoryColumn::Time && (mask & static_cast<int>(kind)) != 0)
            columns.push_back(kind);
    }
    return columns;
}

std::string HistoryListHeader(HistoryColumn kind, bool lastedInSeconds)
{
    if (kind == HistoryColumn::Lasted)
        return lastedInSeconds ? "Lasted (secs)" : "Lasted (hh:mm:ss)";
    return NamesOf(kind).list;
}

std::string HistoryPrintHeader(HistoryColumn kind)
{
    return NamesOf(kind).print;
}

std::string HistoryCsvHeader(int mask)
{
    std::string header;
    for (HistoryColumn kind : HistoryColumnsOf(mask))
        header += NamesOf(kind).csv;
    return header;
}

std::optional<HistoryColumn> HistoryColumnByName(std::string_view name)
{
    for (const ColumnNames& names : kNames) {
        if (name == names.name)
            return names.kind;
    }
    return std::nullopt;
}

const char* HistoryColumnName(HistoryColumn kind)
{
    return NamesOf(kind).name;
}

} // namespace dm
