// The scenario format: plain text, one step a line, words separated by
// blanks, "double quotes" around words with blanks, # starts a comment.
//
//   model DIR                  install the sample model in DIR as a temporary printer
//   printer NAME               use an installed printer
//   open preferences|properties
//   select ITEM OPTION         ITEM: feature keyword, copies, collate, color, duplex,
//                              source, mediatype, nup, or an item's caption
//   press CAPTION              a plug-in push button (or #N, the N-th plug-in item)
//   answer yes|no|ok|cancel|retry|ignore|abort      the next message box
//   answer dialog ok|cancel    the next modal dialog
//   page NAME|N                make a page of the sheet current
//   apply
//   close [ok|cancel]
//   dump devmode|printerdata|registry|calls|items|all
//   network KEY VALUE          an answer of the stand-in network library for the
//                              printer's port (TrayConfig, DuplexUnit, HardDisk, Finisher, Result)
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

enum class StepKind { Model, Printer, Open, Select, Press, Answer, Page, Apply, Close, Dump, Network };

struct ScenarioStep {
    int line = 0;
    StepKind kind = StepKind::Apply;
    std::vector<std::wstring> args;
    std::wstring text;  // the line as written, for the report
};

struct Scenario {
    std::vector<ScenarioStep> steps;
};

// Splits a line into words; false when a quote is not closed.
bool SplitWords(const std::wstring &line, std::vector<std::wstring> *pWords);

// Checks every line before anything runs. On error, *pError names the line.
bool ParseScenario(const std::wstring &text, Scenario *pScenario, std::wstring *pError);
bool LoadScenarioFile(const std::wstring &path, Scenario *pScenario, std::wstring *pError);

}  // namespace oemuihost
