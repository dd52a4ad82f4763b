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
        content = readScriptFile(request.script);
    } catch (const ScriptError& error) {
        printOut(findingLine(request.script, error.line(), Severity::Error, error.problem()));
        printErrorLine(FindingsSummary({1, 0, 0}));
        return ExitFindings;
    }

    const QList<Finding> findings = CheckGameRules(LoadedIntoEmptyMap(content), picture);
    const QList<int> lines = FindingLines(findings, content);
    QString out;
    for (qsizetype i = 0; i < findings.size(); ++i)
        out += findingLine(request.script, lines[i], findings[i].severity, findings[i].message);
    printOut(out);

    const FindingCounts counts = CountFindings(findings);
    printErrorLine(FindingsSummary(counts));
    const bool failed = counts.errors > 0 || (request.werror && counts.warnings > 0);
    return failed ? ExitFindings : ExitSuccess;
}
