// UTF-8 output for the host's reports (the console code page under Wine is
// not something a report should depend on).
#pragma once

#include <string>

namespace oemuihost {

void Print(const std::wstring &text);
void PrintError(const std::wstring &text);
std::string ToUtf8(const std::wstring &text);
std::wstring FromUtf8(const std::string &text);

}  // namespace oemuihost
