#include "core/rules/findingsummary.h"

#include <QStringList>

QString SeverityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Note:
        return QStringLiteral("note");
    }
    return {};
}

FindingCounts CountFindings(const QList<Finding>& findings)
{
    FindingCounts counts;
    for (const Finding& f : findings) {
        switch (f.severity) {
        case Severity::Error:
            ++counts.errors;
            break;
        case Severity::Warning:
            ++counts.warnings;
            break;
        case Severity::Note:
            ++counts.notes;
            break;
        }
    }
    return counts;
}

QString FindingsSummary(const FindingCounts& counts)
{
    QStringList parts;
    const auto add = [&parts](int count, Severity severity) {
        if (count > 0)
            parts.append(QStringLiteral("%1 %2%3").arg(count).arg(SeverityName(severity), count == 1 ? QString() : QStringLiteral("s")));
    };
    add(counts.errors, Severity::Error);
    add(counts.warnings, Severity::Warning);
    add(counts.notes, Severity::Note);
    return parts.isEmpty() ? QStringLiteral("no problems") : parts.join(QStringLiteral(", "));
}
