#include "ui/qt/file_filter.h"

#include <QRegularExpression>
#include <QStringList>

namespace zv {

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromUtf8(filter).split(u'|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString& label = parts[i];
    const QString patterns = QString(parts[i + 1]).replace(u';', u' ');
    if (label.isEmpty()) break;  // the closing "||"
    const QString suffix = u'(' + patterns + u')';
    entries << (label.endsWith(suffix) ? label : label + u' ' + suffix);
  }
  return entries.join(QStringLiteral(";;"));
}

QString TypeExtension(const QString& type, const QString& fallback) {
  static const QRegularExpression firstPattern(QStringLiteral(R"(\(\*\.([^*?\s)]+)[\s)])"));
  const QRegularExpressionMatch match = firstPattern.match(type);
  return match.hasMatch() ? match.captured(1) : fallback;
}

}  // namespace zv
