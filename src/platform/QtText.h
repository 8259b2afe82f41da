#pragma once
// The widget boundary: Windows-1251 bytes to and from QString.

#include <QString>

#include <string>
#include <string_view>

QString ToQString(std::string_view bytes);
std::string FromQString(const QString& text);
