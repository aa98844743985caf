#include "common/logrecord.h"

#include "common/numbers.h"

#include <gtest/gtest.h>

#include <string>

using namespace dm;

namespace {

LogRecord Decode(std::string_view value)
{
    LogRecord record;
    EXPECT_TRUE(DecodeLogValue(value, record)) << value;
    return record;
}

constexpr std::uint32_t k192_168_0_1 = 0xC0A80001u;

} // namespace

TEST(LogValueTest, SessionEndWithEveryField)
{
    // The packed address in its signed and in its unsigned decimal form.
    for (const char* ip : {"-1062731775", "3232235521"}) {
        LogRecord r = Decode(std::string("H3600_DOM\\joe?") + ip + "?2:0000000A.00C0A8000001:JOEPC");
        EXPECT_EQ(r.kind, kLogSessionEnd);
        EXPECT_EQ(r.duration, 3600);
        EXPECT_EQ(r.user, "DOM\\joe");
        EXPECT_EQ(r.ip, k192_168_0_1);
        EXPECT_EQ(FormatIpAddress(r.ip), "192.168.0.1");
        EXPECT_EQ(r.reason, 2);
        EXPECT_EQ(LogInformationText(r.kind, r.reason), "User Max Session Time Reached");
        EXPECT_EQ(r.ipx, "0000000A.00C0A8000001");
        EXPECT_EQ(r.netbios, "JOEPC");
    }
}

TEST(LogValueTest, SessionEndWithoutReasonIsAHangUp)
{
    LogRecord r = Decode("H120_DOM\\joe?0");
    EXPECT_EQ(r.duration, 120);
    EXPECT_EQ(r.user, "DOM\\joe");
    EXPECT_EQ(r.ip, 0u);
    EXPECT_EQ(r.reason, kLogNoReason);
    EXPECT_EQ(LogActionText(r.kind, r.reason), "Hang Up");
    EXPECT_TRUE(r.ipx.empty());
    EXPECT_TRUE(r.netbios.empty());
    // One colon only: no IPX, no NetBIOS name.
    LogRecord one = Decode("H5_u?1?3:only");
    EXPECT_EQ(one.reason, 3);
    EXPECT_TRUE(one.ipx.empty());
    EXPECT_TRUE(one.netbios.empty());
}

TEST(LogValueTest, DeniedReasonIsTheDigitAfterTheSecondToLastCharacter)
{
    LogRecord r = Decode("N_DOM\\joe?4");
    EXPECT_EQ(r.kind, kLogDenied);
    EXPECT_EQ(r.user, "DOM\\joe");
    EXPECT_EQ(r.reason, 4);
    EXPECT_EQ(LogInformationText(r.kind, r.reason), "User already connected");
    LogRecord none = Decode("N_DOM\\joe");
    EXPECT_EQ(none.user, "DOM\\joe");
    EXPECT_EQ(none.reason, kLogNoReason);
    // A '?' elsewhere is part of the name.
    EXPECT_EQ(Decode("N_a?bc").user, "a?bc");
}

TEST(LogValueTest, ConnectAndOddValues)
{
    LogRecord c = Decode("C_DOM\\joe?x");
    EXPECT_EQ(c.kind, kLogConnect);
    EXPECT_EQ(c.user, "DOM\\joe?x");
    EXPECT_EQ(c.reason, kLogNoReason);
    EXPECT_EQ(LogActionText(c.kind, c.reason), "Connect");
    EXPECT_EQ(Decode("Cjoe").user, "");
    EXPECT_EQ(Decode("H").duration, 0);
    // A long user name is kept whole: cutting it would merge accounts.
    const std::string longUser = "DOMAIN\\" + std::string(60, 'u');
    EXPECT_EQ(Decode("C_" + longUser).user, longUser);

    LogRecord untouched;
    untouched.user = "keep";
    for (const char* skipped : {"", "*", "*C_joe", "X_joe", "c_joe"})
        EXPECT_FALSE(DecodeLogValue(skipped, untouched)) << skipped;
    EXPECT_EQ(untouched.user, "keep");
}

TEST(LogValueTest, LegacyRulesKeepOnlyTheOldFields)
{
    LogRecord h;
    ASSERT_TRUE(DecodeLegacyLogValue("H60_DOM\\ann?-1062731775?2:IPX:NB", h));
    EXPECT_EQ(h.duration, 60);
    EXPECT_EQ(h.user, "DOM\\ann");
    EXPECT_EQ(h.ip, k192_168_0_1);
    EXPECT_EQ(h.reason, kLogNoReason);
    EXPECT_TRUE(h.ipx.empty());
    LogRecord n;
    ASSERT_TRUE(DecodeLegacyLogValue("N_DOM\\ann?4", n));
    EXPECT_EQ(n.user, "DOM\\ann");
    EXPECT_EQ(n.reason, kLogNoReason);
}

TEST(LogValueTest, EncodersWriteWhatTheDecoderReadsBack)
{
    LogRecord end;
    end.kind = kLogSessionEnd;
    end.duration = 3600;
    end.user = "DOM\\joe";
    end.ip = k192_168_0_1;
    end.reason = 9;
    end.ipx = "0000000A.00C0A8000001";
    end.netbios = "JOEPC";
    EXPECT_EQ(FormatLogValue(end), "H3600_DOM\\joe?-1062731775?9:0000000A.00C0A8000001:JOEPC");
    LogRecord denied;
    denied.kind = kLogDenied;
    denied.user = "DOM\\ann";
    denied.reason = 6;
    LogRecord connect;
    connect.user = "DOM\\bob";
    LogRecord deniedNoReason = denied;
    deniedNoReason.reason = kLogNoReason;
    LogRecord emptyEnd = end;
    emptyEnd.ipx.clear();
    emptyEnd.netbios.clear();
    emptyEnd.reason = kLogNoReason;
    for (const LogRecord& r : {end, denied, connect, deniedNoReason, emptyEnd}) {
        LogRecord back;
        ASSERT_TRUE(DecodeLogValue(FormatLogValue(r), back));
        EXPECT_EQ(back, r) << FormatLogValue(r);
    }
    // Characters that would shift fields are replaced, never passed through.
    LogRecord back;
    ASSERT_TRUE(DecodeLogValue(FormatSessionEndValue(1, "a?b:c", 0, 2, "x:y?", "n:b?"), back));
    EXPECT_EQ(back.user, "a_b_c");
    EXPECT_EQ(back.reason, 2);
    EXPECT_EQ(back.ipx, "x_y_");
    EXPECT_EQ(back.netbios, "n_b_");
    EXPECT_EQ(FormatDeniedValue("x?", 12), "N_x_");
}

TEST(LogValueTest, SectionNamesSplitAtTheLastBackslash)
{
    LogRecord r;
    SetLogSection("SRV1\\COM1", r);
    EXPECT_EQ(r.server, "SRV1");
    EXPECT_EQ(r.port, "COM1");
    SetLogSection("a\\b\\c", r);
    EXPECT_EQ(r.server, "a\\b");
    EXPECT_EQ(r.port, "c");
    SetLogSection("COM9", r);
    EXPECT_EQ(r.server, "");
    EXPECT_EQ(r.port, "COM9");
    EXPECT_EQ(LogSectionName("SRV1", "COM1"), "SRV1\\COM1");
}

TEST(LogValueTest, HistoryTextsOfEveryCode)
{
    EXPECT_EQ(LogActionText(kLogDenied, 1), "Denied");
    EXPECT_EQ(LogInformationText(kLogDenied, 1), "User not defined");
    EXPECT_EQ(LogInformationText(kLogDenied, 5), "Access denied on Port");
    EXPECT_EQ(LogInformationText(kLogDenied, 7), "");
    EXPECT_EQ(LogActionText(kLogSessionEnd, 1), "Disconnected");
    EXPECT_EQ(LogInformationText(kLogSessionEnd, 1), "Port Max Time Reached");
    EXPECT_EQ(LogInformationText(kLogSessionEnd, 9), "Idle Timeout");
    EXPECT_EQ(LogActionText(kLogSessionEnd, 4), "Disconnected");
    EXPECT_EQ(LogInformationText(kLogSessionEnd, 4), "");
    EXPECT_EQ(LogActionText(kLogSessionEnd, 0), "Hang Up");
    EXPECT_EQ(LogActionText(kLogSessionEnd, 255), "Hang Up");
}

// The tests run with TZ=Europe/Berlin and LC_ALL=C.
TEST(DayLogPathTest, LocalDateInTheDayFilePicture)
{
    EXPECT_EQ(DayLogPath("C:\\DB", 881276400), "C:\\DB\\LogData\\1997-Dec-05.log"); // 00:00:00
    EXPECT_EQ(DayLogPath("C:\\DB", 881362799), "C:\\DB\\LogData\\1997-Dec-05.log"); // 23:59:59
    EXPECT_EQ(DayLogPath("\\\\M\\DM_NT_DB", 881362800), "\\\\M\\DM_NT_DB\\LogData\\1997-Dec-06.log");
    EXPECT_EQ(LegacyLogPath("C:\\DB"), "C:\\DB\\Dialmind.log");
}

namespace {

// The session end's fields found the plain way, one search per mark.
LogFields PlainSessionEnd(std::string_view value)
{
    constexpr auto npos = std::string_view::npos;
    LogFields f;
    f.kind = kLogSessionEnd;
    f.duration = AtoiValue(value.substr(1));
    const std::size_t underscore = value.find('_');
    if (underscore != npos) {
        const std::string_view user = value.substr(underscore + 1);
        f.user = user.substr(0, user.find('?'));
    }
    const std::size_t firstQ = value.find('?');
    const std::size_t lastQ = value.rfind('?');
    if (firstQ != npos)
        f.ip = AtoiWrapped32(value.substr(firstQ + 1));
    if (lastQ != npos && lastQ > firstQ)
        f.reason = AtoiValue(value.substr(lastQ + 1));
    const std::size_t firstColon = value.find(':');
    const std::size_t lastColon = value.rfind(':');
    if (firstColon != npos && lastColon != firstColon) {
        f.ipx = value.substr(firstColon + 1, lastColon - firstColon - 1);
        f.netbios = value.substr(lastColon + 1);
    }
    return f;
}

} // namespace

TEST(LogValueTest, SessionEndMarksAreFoundWhereverTheyFall)
{
    // Values of every length up to 70, each mark ('_', '?', ':') moved over
    // every place, twice or not at all, before or after the others: the
    // split must not depend on where sixteen-byte steps fall.
    const std::string filler = "H1234_DOM\\someone.with.a.long.name?3232235521?2:0000000A.00C0A8000001:PC";
    int checked = 0;
    for (std::size_t length = 1; length <= 70; ++length) {
        for (const char mark : {'_', '?', ':'}) {
            for (std::size_t at = 1; at < length; ++at) {
                std::string value = filler.substr(0, length);
                value.resize(length, 'x');
                for (char& c : value)
                    if (c == mark && &c != &value[at])
                        c = 'y';
                value[at] = mark;
                for (const std::string& v : {value, value + mark, value.substr(0, at) + "_?:" + value.substr(at)}) {
                    LogFields fields;
                    ASSERT_TRUE(DecodeLogValue(v, fields)) << v;
                    const LogFields plain = PlainSessionEnd(v);
                    ASSERT_EQ(fields.user, plain.user) << v;
                    ASSERT_EQ(fields.ipx, plain.ipx) << v;
                    ASSERT_EQ(fields.netbios, plain.netbios) << v;
                    ASSERT_EQ(fields.ip, plain.ip) << v;
                    ASSERT_EQ(fields.reason, plain.reason) << v;
                    ASSERT_EQ(fields.duration, plain.duration) << v;
                    ++checked;
                }
            }
        }
    }
    EXPECT_GT(checked, 7000);
    // The record form holds the same texts.
    LogRecord record;
    ASSERT_TRUE(DecodeLogValue(filler, record));
    EXPECT_EQ(record.user, "DOM\\someone.with.a.long.name");
    EXPECT_EQ(record.ipx, "0000000A.00C0A8000001");
    EXPECT_EQ(record.netbios, "PC");
}
