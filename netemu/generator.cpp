#include "netemu/generator.h"

#include "common/timeformat.h"
#include "common/timeword.h"

#include "netemu/addresses.h"
#include "netemu/loggedhistory.h"
#include "netemu/simulation.h"

#include <ctime>
#include <map>
#include <memory>

namespace dm::netemu {

bool ParseDate(const std::string& text, int& year, int& month, int& day)
{
    // A date alone, written in full, as the word TIME of dmctl writes it.
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return false;
    const std::optional<std::uint32_t> midnight = ParseTimeWord(text);
    if (!midnight)
        return false;
    const std::tm fields = LocalFields(*midnight);
    if (fields.tm_year + 1900 < 1971 || fields.tm_year + 1900 > 2105)
        return false;
    year = fields.tm_year + 1900;
    month = fields.tm_mon + 1;
    day = fields.tm_mday;
    return true;
}

bool GenerateHistory(const std::vector<ScannedServer>& servers, const GenerateOptions& options,
                     GenerateReport& report, std::string& error)
{
    if (options.days < 1) {
        error = "the number of days must be at least 1";
        return false;
    }
    int year = options.endYear, month = options.endMonth, day = options.endDay;
    if (year == 0) {
        std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        year = local.tm_year + 1900;
        month = local.tm_mon + 1;
        day = local.tm_mday - 1; // yesterday; mktime normalises day 0
    }
    report.to = LocalTimeOf(year, month, day + 1);
    report.from = LocalTimeOf(year, month, day + 1 - options.days);

    std::map<std::string, std::unique_ptr<Database>> databases;
    std::vector<ServerSetup> setups;
    for (const ScannedServer& scanned : servers) {
        ServerSetup setup;
        setup.name = scanned.name;
        for (std::size_t i = 0; i < scanned.ports.size(); ++i)
            setup.ports.push_back(
                {scanned.ports[i].name, PoolAddress(scanned.name, i), scanned.ports[i].outOfService});
        setup.callers = scanned.callers;
        setup.idleMinutes = scanned.component.idleMinutes;
        setup.autoDisconnectMinutes = scanned.autoDisconnectMinutes;
        if (scanned.component.installed && !scanned.component.databaseDir.empty()) {
            auto& db = databases[scanned.component.databaseDir];
            if (!db) {
                db = std::make_unique<Database>(scanned.component.databaseDir, options.legacy);
                db->Load();
                report.databases.push_back(scanned.component.databaseDir);
            }
            setup.database = db.get();
            ++report.servers;
        }
        setups.push_back(std::move(setup));
    }
    if (setups.empty()) {
        error = "no computer of the network has RAS installed";
        return false;
    }
    // Generated days are added to the usage counters: a day that has records
    // already would be counted twice. Nothing is written then.
    for (const auto& [dir, db] : databases) {
        if (const std::uint32_t day = FirstDayWithRecords(dir, report.from, report.to)) {
            error = "the activity log in " + dir + " already holds records on " + LocalDateText(day) +
                    "; generate days before that (--end) or start from a fresh network";
            return false;
        }
    }

    Simulation simulation(std::move(setups), options.seed, report.from, options.model);
    bool ok = true;
    for (std::uint32_t dayEnd = report.from; dayEnd < report.to;) {
        // Day by day, so that each finished day file is written once and leaves memory.
        std::tm local{};
        std::time_t t = dayEnd;
        localtime_r(&t, &local);
        dayEnd = LocalTimeOf(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday + 1);
        simulation.RunUntil(dayEnd - 1);
        for (auto& [dir, db] : databases)
            db->Log().Flush(dayEnd); // what fails stays buffered for the final flush
    }
    simulation.Drain();
    std::string failed;
    for (auto& [dir, db] : databases) {
        if (!db->FlushAll()) {
            ok = false;
            for (const std::string& file : db->FailedFiles())
                failed += (failed.empty() ? "" : ", ") + file;
        }
        report.records += db->Log().Written();
    }
    report.events = simulation.Events();
    if (!ok)
        error = "these database files could not be written: " + failed;
    return ok;
}

} // namespace dm::netemu
