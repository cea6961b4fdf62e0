#pragma once

#include <QString>
#include <string>

namespace zv {

// Turns a "label|pattern|label|pattern||" filter into Qt's
// "label;;label" form. A label that does not end with its patterns in
// parentheses gets them appended.
QString QtFileFilter(const std::string& filter);

// The extension a name typed without one gets when this type of a Qt
// filter is chosen: that of its first pattern ("PDF document (*.pdf)":
// "pdf"), or `fallback` when that pattern names none ("*.*").
QString TypeExtension(const QString& type, const QString& fallback);

}  // namespace zv
