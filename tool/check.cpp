#include "tool/check.h"

#include "core/model/scriptload.h"
#include "core/rules/findinglines.h"
#include "core/rules/findingsummary.h"
#include "core/rules/gamerules.h"
#include "tool/mapfiles.h"
#include "tool/toolstatus.h"

#include <QSize>

namespace {

constexpr int ExitFindings = 1;

QString findingLine(const QString& script, int line, Severity severity, const QString& message)
{
    return QStringLiteral("%1:%2: %3: %4\n").arg(script).arg(line).arg(SeverityName(severity), message.simplified());
}

} // namespace

int runCheck(const CheckRequest& request)
{
    // Both files are read before anything is printed, so a file that cannot be read
    // gives its one line and nothing else.
    const QSize picture = request.picture.isEmpty() ? QSize() : pictureSizeOf(request.picture);
    ScriptContent content;
    try {
        content = mapfiles::readScriptFile(request.script);
    } catch (const ScriptError& error) {
        printOut(findingLine(request.script, error.line(), Severity::Error, error.problem()));
        printErrorLine(FindingsSummary({1, 0, 0}));
        return ExitFindings;
    }

    // Each metaroom of the file is a map of its own; the script's own lines come once.
    QList<ScriptContent> metarooms{content};
    try {
        for (int k = 1; k < content.metarooms.size(); ++k)
            metarooms.append(mapfiles::readScriptFile(request.script, k));
    } catch (const ScriptError& error) {
        printOut(findingLine(request.script, error.line(), Severity::Error, error.problem()));
        printErrorLine(FindingsSummary({1, 0, 0}));
        return ExitFindings;
    }
    QList<Finding> findings;
    QString out;
    for (const ScriptContent& metaroom : metarooms) {
        const QList<Finding> found = CheckGameRules(LoadedIntoEmptyMap(metaroom), picture);
        const QList<int> lines = FindingLines(found, metaroom);
        for (qsizetype i = 0; i < found.size(); ++i)
            out += findingLine(request.script, lines[i], found[i].severity, found[i].message);
        findings += found;
    }
    for (const LineFinding& finding : FindingsOfScriptLines(content)) {
        out += findingLine(request.script, finding.line, finding.severity, finding.message);
        findings.append({finding.severity, {}, finding.message, GameRule::Text});
    }
    printOut(out);

    const FindingCounts counts = CountFindings(findings);
    printErrorLine(FindingsSummary(counts));
    const bool failed = counts.errors > 0 || (request.werror && counts.warnings > 0);
    return failed ? ExitFindings : ExitSuccess;
}
