#pragma once

#include <QString>
#include <string>

namespace zv {

// Turns a "label|pattern|label|pattern||" filter into Qt's
// "label;;label" form. A label that does not end with its patterns in
// parentheses gets them appended.
QString QtFileFilter(const std::string& filter);

}  // namespace zv
