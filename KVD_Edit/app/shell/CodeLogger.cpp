#include "KVD_Edit/app/shell/CodeLogger.h"

#include "KVD_Edit/app/shell/Helpers.h"
#include "KVD_Edit/app/shell/LogSiteCount.h"
#include "KVD_Edit/app/shell/VersionInfo.h"
#include "KVD_Edit/platform/IniFile.h"
#include "KVD_Edit/platform/SettingsFolder.h"
#include "orq_utils/FileReplacement.h"

#include <ctime>
#include <fstream>
#include <locale>
#include <sstream>

CCodeLogger *g_pCodeLogger = nullptr;

namespace {

const char kColumns[] = "Filename:Line Number, Date, Time, CPU Clock, Function Prototype, "
                        "Decorated Function Name, Stack, Custom String (Optional)";

// "<settings folder>/<program> (<version without dots>).log" of the running program.
std::string DefaultLogPath() {
    CVersionInfo version;
    std::string base = GetProgramBaseName();
    std::string productVersion;
    if (version.Load(nullptr) >= 0) {
        base = version.GetFilePath(true, true);
        version.GetString(CVersionInfo::KEY_PRODUCTVERSION, productVersion);
    }
    std::string digits;
    for (char c : productVersion)
        if (c != '.')
            digits += c;
    return GetSettingsFolderPath(base) + "/" + base + " (" + digits + ").log";
}

} // namespace

const int CCodeLogger::kLocationCount = KVD_LOG_LOCATION_COUNT;

CCodeLogger::CCodeLogger(const std::string &iniPath, const std::string &logPath,
                         SClockReadout clock, int locationCount)
    : m_clock(std::move(clock)), m_iniPath(iniPath),
      m_locationTotal(locationCount >= 0 ? locationCount : GetProgramLocationCount()) {
    if (!m_iniPath.empty())
        SetLevel(CIniFile::ReadInt(m_iniPath, "CODE_LOGGER", "LOG_LEVEL", 1));
    else
        m_level = 1;
    m_logPath = logPath.empty() ? DefaultLogPath() : logPath;
    m_header = "Start Time, " + Now();
    ReadLog();
}

CCodeLogger::~CCodeLogger() {
    WriteLog();
}

void CCodeLogger::SetLevel(int level) {
    m_level = level;
    if (!m_iniPath.empty())
        CIniFile::WriteString(m_iniPath, "CODE_LOGGER", "LOG_LEVEL", FormatC("%d", level));
}

std::string CCodeLogger::Now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return FormatC("%d-%02d-%02d, %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
                   local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

std::string CCodeLogger::MakeKey(const std::string &file, unsigned line) {
    const size_t sep = file.find_last_of("/\\");
    const std::string name = sep == std::string::npos ? file : file.substr(sep + 1);
    return name + FormatC(":%5u", line);
}

std::string CCodeLogger::CoverageLine(int count, int total) {
    std::ostringstream s;
    s.imbue(std::locale::classic());
    s.precision(4);
    s << "Code Coverage, " << (total > 0 ? count / static_cast<double>(total) * 100.0 : 0.0)
      << "%, " << count << " out of " << total;
    return s.str();
}

std::string CCodeLogger::GetStackText(int, int) {
    return std::string();
}

void CCodeLogger::LogCall(const std::string &file, unsigned line, const std::string &signature,
                          const std::string &decorated, const char *custom) {
    if (m_level == 0)
        return;
    const std::string key = MakeKey(file, line);
    std::string record = key + ", " + Now() + ", " + FormatC("%ld", static_cast<long>(clock())) +
                         ", " + signature + ", " + decorated + ", " +
                         GetStackText(20, 0).substr(0, 60);
    if (custom) {
        record += ", ";
        record += custom;
    }
    m_entries[key] = record;
    if (m_level == 2)
        WriteLog();
}

bool CCodeLogger::WriteLog() {
    std::string text = m_header + "\n";
    text += "End Time, " + Now() + "\n";
    text += CoverageLine(GetEntryCount(), m_locationTotal) + "\n";
    if (m_clock) {
        std::string stats;
        m_clock.statsText(stats);
        text += FormatC("AppClock, %lld\n", m_clock.activeSeconds());
        text += "AppStats, " + stats + "\n";
    } else {
        text += "AppClock\nAppStats\n";
    }
    text += "\n";
    text += kColumns;
    text += "\n";
    for (const auto &entry : m_entries)
        text += entry.second + "\n";
    // Rewritten after every report in diagnostic mode: replaced atomically, not flushed to disk.
    return ORQ::ReplaceFileContent(m_logPath, text, false);
}

bool CCodeLogger::ReadLog() {
    std::ifstream in(m_logPath, std::ios::binary);
    if (!in)
        return true;
    auto next = [&in](std::string &line) {
        if (!std::getline(in, line))
            return false;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        return true;
    };
    std::string line;
    if (!next(line))
        return false;
    if (line.rfind("Start Time, ", 0) == 0)
        m_header = line;
    for (int i = 0; i < 6; ++i)
        if (!next(line))
            return false;
    while (next(line)) {
        if (line.empty())
            continue;
        m_entries[line.substr(0, line.find(','))] = line;
    }
    return in.eof();
}
