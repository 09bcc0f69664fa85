// The library's own logging back end, for builds without log4cxx: reads
// the same log4j-style properties files and writes through its own
// appenders (FileLogAppenders.h) and layout (FilePatternLayout.h).
//
// Understood keys: log4j.rootLogger (log4j.rootCategory), log4j.logger.<name>
// (log4j.category.<name>), log4j.additivity.<name>, log4j.threshold and
// log4j.appender.<name>[.<option>]. Whatever cannot be used is reported on
// stderr once and left out; the rest works.
#include "FileLogAppenders.h"
#include "FileLogProperties.h"
#include "FileLogText.h"
#include "LogBackend.h"

#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

namespace pellorn {

namespace filelog {

namespace {

using AppenderPtr = std::shared_ptr<Appender>;

// What one logger ends up with: its level and every appender it reaches.
struct Resolved {
    Level level = Debug;
    std::vector<AppenderPtr> appenders;
};

struct LoggerRule {
    std::optional<Level> level;
    std::vector<std::string> appenders;
    bool additive = true;
};

struct Configuration {
    Level rootLevel = Debug;
    std::vector<std::string> rootAppenders;
    Level threshold = All;
    std::map<std::string, LoggerRule> loggers;
    std::map<std::string, AppenderPtr> appenders;
};

} // namespace

} // namespace filelog

struct LoggerHandle {
    std::string name;
    std::shared_ptr<const filelog::Resolved> resolved; // guarded by the back end's mutex
};

namespace filelog {

namespace {

struct Backend {
    std::mutex mutex;
    Configuration configuration;
    std::set<LoggerHandle*> handles;
};

Backend& backend()
{
    static Backend* const instance = new Backend; // outlives static destruction: logging at exit stays safe
    return *instance;
}

bool startsWith(const std::string& text, const std::string& prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::shared_ptr<const Resolved> resolve(const Configuration& configuration, const std::string& name)
{
    auto resolved = std::make_shared<Resolved>();
    std::optional<Level> level;
    std::vector<std::string> names;
    bool toRoot = true;
    // The logger itself, then its dotted parents ("a.b.c", "a.b", "a").
    for (std::string current = name; !current.empty();) {
        if (auto it = configuration.loggers.find(current); it != configuration.loggers.end()) {
            if (!level)
                level = it->second.level;
            if (toRoot)
                names.insert(names.end(), it->second.appenders.begin(), it->second.appenders.end());
            if (!it->second.additive)
                toRoot = false;
        }
        const auto dot = current.rfind('.');
        current = dot == std::string::npos ? std::string() : current.substr(0, dot);
    }
    if (toRoot)
        names.insert(names.end(), configuration.rootAppenders.begin(), configuration.rootAppenders.end());
    resolved->level = std::max(level.value_or(configuration.rootLevel), configuration.threshold);
    std::set<std::string> seen;
    for (const std::string& appenderName : names) {
        auto it = configuration.appenders.find(appenderName);
        if (it != configuration.appenders.end() && seen.insert(appenderName).second)
            resolved->appenders.push_back(it->second);
    }
    return resolved;
}

void resolveAllLocked(Backend& state)
{
    for (LoggerHandle* handle : state.handles)
        handle->resolved = resolve(state.configuration, handle->name);
}

// "LEVEL, appender, appender": the level (none when empty or inherited)
// and the appender names.
void parseLoggerValue(const std::string& key, const std::string& value, bool isRoot, std::optional<Level>& level,
                      std::vector<std::string>& appenders)
{
    std::vector<std::string> pieces = splitCommas(value);
    const std::string levelText = pieces.front();
    if (!levelText.empty() && !(!isRoot && (equalsIgnoreCase(levelText, "INHERITED") || equalsIgnoreCase(levelText, "NULL")))) {
        level = parseLevel(levelText);
        if (!level) {
            reportOnce("unknown level \"" + levelText + "\" for " + key + "; DEBUG is used");
            level = Debug;
        }
    }
    for (std::size_t i = 1; i < pieces.size(); ++i)
        if (!pieces[i].empty())
            appenders.push_back(pieces[i]);
}

std::optional<std::uint64_t> parseFileSize(const std::string& text)
{
    std::string upper = toUpper(trim(text));
    std::uint64_t factor = 1;
    for (const auto& [suffix, multiplier] : {std::pair<const char*, std::uint64_t>{"KB", 1024ULL},
                                            {"MB", 1024ULL * 1024}, {"GB", 1024ULL * 1024 * 1024}}) {
        const std::string s = suffix;
        if (upper.size() > s.size() && upper.compare(upper.size() - s.size(), s.size(), s) == 0) {
            factor = multiplier;
            upper = trim(upper.substr(0, upper.size() - s.size()));
            break;
        }
    }
    if (upper.empty() || upper.find_first_not_of("0123456789") != std::string::npos || upper.size() > 12)
        return std::nullopt;
    return std::stoull(upper) * factor;
}

std::optional<bool> parseBool(const std::string& text)
{
    if (equalsIgnoreCase(trim(text), "true"))
        return true;
    if (equalsIgnoreCase(trim(text), "false"))
        return false;
    return std::nullopt;
}

std::unique_ptr<PatternLayout> buildLayout(const std::string& appender, const std::map<std::string, std::string>& options)
{
    auto find = [&](const std::string& key) -> std::optional<std::string> {
        for (const auto& [name, value] : options)
            if (equalsIgnoreCase(name, key))
                return value;
        return std::nullopt;
    };
    const std::optional<std::string> layoutClass = find("layout");
    if (!layoutClass)
        return std::make_unique<PatternLayout>("%m%n");
    const std::string cls = trim(*layoutClass);
    if (cls == "org.apache.log4j.PatternLayout" || cls == "org.apache.log4j.EnhancedPatternLayout")
        return std::make_unique<PatternLayout>(find("layout.ConversionPattern").value_or("%m%n"));
    if (cls == "org.apache.log4j.SimpleLayout")
        return std::make_unique<PatternLayout>("%p - %m%n");
    if (cls == "org.apache.log4j.TTCCLayout")
        return std::make_unique<PatternLayout>("%r [%t] %p %c - %m%n");
    reportOnce("appender " + appender + ": unknown layout class \"" + cls + "\"; \"%m%n\" is used");
    return std::make_unique<PatternLayout>("%m%n");
}

AppenderPtr buildAppender(const std::string& name, const Properties& properties)
{
    const std::string prefix = "log4j.appender." + name;
    auto classIt = properties.find(prefix);
    if (classIt == properties.end()) {
        reportOnce("appender " + name + " is named but not defined; left out");
        return nullptr;
    }
    const std::string cls = trim(substituteVariables(classIt->second, properties));
    const bool console = cls == "org.apache.log4j.ConsoleAppender";
    const bool plainFile = cls == "org.apache.log4j.FileAppender";
    const bool ownerOnly = cls == "pellorn.OwnerOnlyRollingFileAppender";
    const bool rolling = ownerOnly || cls == "org.apache.log4j.RollingFileAppender"
                         || cls == "org.apache.log4j.rolling.RollingFileAppender";
    if (!console && !plainFile && !rolling) {
        reportOnce("appender " + name + ": unknown class \"" + cls + "\"; left out");
        return nullptr;
    }

    std::map<std::string, std::string> options;
    for (auto it = properties.upper_bound(prefix); it != properties.end() && startsWith(it->first, prefix); ++it)
        if (it->first.size() > prefix.size() && it->first[prefix.size()] == '.')
            options[it->first.substr(prefix.size() + 1)] = trim(substituteVariables(it->second, properties));

    Level threshold = All;
    FileAppenderOptions file;
    file.ownerOnly = ownerOnly;
    file.maxFileSize = rolling ? 10ULL * 1024 * 1024 : 0;
    std::FILE* stream = stdout;
    bool hasFile = false;
    for (const auto& [option, value] : options) {
        auto is = [&](const char* known) { return equalsIgnoreCase(option, known); };
        auto bad = [&] { reportOnce("appender " + name + ": bad " + option + " \"" + value + "\"; ignored"); };
        if (is("layout") || startsWith(toUpper(option), "LAYOUT.")) {
            continue;
        } else if (is("Threshold")) {
            if (auto level = parseLevel(value))
                threshold = *level;
            else
                bad();
        } else if (is("Encoding") || is("ImmediateFlush")) {
            // Records are written as given and flushed each time anyway.
        } else if (console && is("Target")) {
            if (equalsIgnoreCase(value, "System.err"))
                stream = stderr;
            else if (equalsIgnoreCase(value, "System.out"))
                stream = stdout;
            else
                bad();
        } else if (!console && is("File")) {
            file.file = value;
            hasFile = !value.empty();
        } else if (!console && is("Append")) {
            if (auto flag = parseBool(value))
                file.append = *flag;
            else
                bad();
        } else if (rolling && (is("MaxFileSize") || is("triggeringPolicy.MaxFileSize"))) {
            if (auto size = parseFileSize(value); size && *size > 0)
                file.maxFileSize = *size;
            else
                bad();
        } else if (rolling && (is("MaxBackupIndex") || is("rollingPolicy.MaxIndex"))) {
            if (!value.empty() && value.size() < 6 && value.find_first_not_of("0123456789") == std::string::npos)
                file.maxBackupIndex = std::stoi(value);
            else
                bad();
        } else if (rolling && (is("rollingPolicy") || is("triggeringPolicy"))) {
            // The size-based policies are the only ones, set by the options above.
        } else {
            reportOnce("appender " + name + ": option " + option + " is not supported; ignored");
        }
    }
    auto layout = buildLayout(name, options);
    if (console)
        return std::make_shared<ConsoleAppender>(name, std::move(layout), threshold, stream);
    if (!hasFile) {
        reportOnce("appender " + name + " has no File; left out");
        return nullptr;
    }
    return std::make_shared<FileAppender>(name, std::move(layout), threshold, std::move(file));
}

Configuration buildConfiguration(const Properties& properties)
{
    Configuration configuration;
    std::set<std::string> wanted;
    auto value = [&](const std::string& raw) { return substituteVariables(raw, properties); };

    for (const auto& [key, raw] : properties) {
        if (key == "log4j.rootLogger" || key == "log4j.rootCategory") {
            std::optional<Level> level;
            configuration.rootAppenders.clear();
            parseLoggerValue(key, value(raw), true, level, configuration.rootAppenders);
            if (level)
                configuration.rootLevel = *level;
            wanted.insert(configuration.rootAppenders.begin(), configuration.rootAppenders.end());
        } else if (startsWith(key, "log4j.logger.") || startsWith(key, "log4j.category.")) {
            const std::string name = key.substr(key.find('.', 6) + 1);
            LoggerRule& rule = configuration.loggers[name];
            parseLoggerValue(key, value(raw), false, rule.level, rule.appenders);
            wanted.insert(rule.appenders.begin(), rule.appenders.end());
        } else if (startsWith(key, "log4j.additivity.")) {
            const std::string name = key.substr(std::string("log4j.additivity.").size());
            if (auto flag = parseBool(value(raw)))
                configuration.loggers[name].additive = *flag;
            else
                reportOnce("bad value \"" + raw + "\" for " + key + "; ignored");
        } else if (key == "log4j.threshold") {
            if (auto level = parseLevel(value(raw)))
                configuration.threshold = *level;
            else
                reportOnce("unknown level \"" + raw + "\" for " + key + "; ignored");
        } else if (startsWith(key, "log4j.appender.") || key == "log4j.debug" || key == "log4j.reset") {
            // Appenders are built below when a logger names them.
        } else if (startsWith(key, "log4j.")) {
            reportOnce("key " + key + " is not supported; ignored");
        }
    }
    for (const std::string& name : wanted)
        if (AppenderPtr appender = buildAppender(name, properties))
            configuration.appenders.emplace(name, std::move(appender));
    return configuration;
}

} // namespace

} // namespace filelog

namespace logBackend {

using filelog::backend;

void configure(const char* propertiesPath)
{
    try {
        filelog::Properties properties;
        filelog::Configuration configuration;
        if (filelog::readProperties(propertiesPath, properties))
            configuration = filelog::buildConfiguration(properties);
        else
            filelog::reportOnce(std::string("cannot read the logging configuration ") + propertiesPath
                                + "; nothing is logged");
        auto& state = backend();
        std::lock_guard<std::mutex> lock(state.mutex);
        // The old appenders close once the last record in flight is out.
        state.configuration = std::move(configuration);
        filelog::resolveAllLocked(state);
    } catch (const std::exception& e) {
        filelog::reportOnce(std::string("logging configuration failed: ") + e.what());
    } catch (...) {
        filelog::reportOnce("logging configuration failed");
    }
}

void reset()
{
    try {
        auto& state = backend();
        std::lock_guard<std::mutex> lock(state.mutex);
        state.configuration = filelog::Configuration();
        filelog::resolveAllLocked(state);
    } catch (...) {
    }
}

LoggerHandle* getLogger(const char* name)
{
    try {
        auto handle = std::make_unique<LoggerHandle>();
        handle->name = name ? name : "";
        auto& state = backend();
        std::lock_guard<std::mutex> lock(state.mutex);
        handle->resolved = filelog::resolve(state.configuration, handle->name);
        state.handles.insert(handle.get());
        return handle.release();
    } catch (...) {
        return nullptr;
    }
}

void releaseLogger(LoggerHandle* logger)
{
    if (!logger)
        return;
    {
        auto& state = backend();
        std::lock_guard<std::mutex> lock(state.mutex);
        state.handles.erase(logger);
    }
    delete logger;
}

namespace {

std::shared_ptr<const filelog::Resolved> resolvedOf(const LoggerHandle& logger)
{
    auto& state = backend();
    std::lock_guard<std::mutex> lock(state.mutex);
    return logger.resolved;
}

} // namespace

bool isEnabled(const LoggerHandle& logger, LogLevel level)
{
    auto resolved = resolvedOf(logger);
    return resolved && filelog::fromLogLevel(level) >= resolved->level;
}

void write(const LoggerHandle& logger, LogLevel level, const char* message, const LogLocation& location)
{
    try {
        auto resolved = resolvedOf(logger);
        if (!resolved)
            return;
        const filelog::LogEvent event{filelog::fromLogLevel(level), logger.name, message, location,
                                      std::chrono::system_clock::now()};
        for (const auto& appender : resolved->appenders)
            appender->append(event);
    } catch (const std::exception& e) {
        filelog::reportOnce(std::string("writing a record failed: ") + e.what());
    } catch (...) {
        filelog::reportOnce("writing a record failed");
    }
}

} // namespace logBackend

} // namespace pellorn
