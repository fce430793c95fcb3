// The expect step: checks one thing a scenario states must hold and, when it
// does not, says what was expected and what was found.
//
//   expect text|visible|enabled|checked|hint CONTROL VALUE
//   expect rect|dlu CONTROL X Y W H
//   expect style CONTROL FLAG...      FLAG: a name (set), -NAME (clear), 0xMASK (all set)
//   expect title TEXT / expect exstyle FLAG...
//   expect item ITEM sel|hidden|disabled VALUE
//   expect devmode FIELD VALUE
//   expect printerdata NAME TYPE [SIZE [VALUE]]   or   expect printerdata NAME absent
//   expect registry KEY VALUE-NAME TYPE [SIZE [VALUE]]   or   ... absent
//   expect call KIND [FIELD...]      some recorded call whose first fields match (* any)
//   expect calls KIND N              how many calls of that kind were recorded
//   expect ended TITLE RESULT        how the last dialog of that title ended
#pragma once

#include <string>
#include <vector>

#include "host/step_context.h"

namespace oemuihost {

// False with *pError ("... expected X, found Y") when the expectation fails
// or names something that does not exist.
bool CheckExpectation(const std::vector<std::wstring> &args, const StepContext &ctx, std::wstring *pError);

}  // namespace oemuihost
