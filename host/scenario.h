// The scenario format: plain text, one step a line, words separated by
// blanks, "double quotes" around words with blanks, # starts a comment.
// README.md lists every step with an example; the groups are:
//   printer and sheet: model, printer, open, select, press, page, apply, close, network
//   answers:           answer (message boxes, dialogs, shell execution)
//   dialogs and pages: dialog, set, type, key, paste, click, choose, datetime,
//                      ok, cancel, enter, escape, closebox, f1, help
//   looking:           expect, dump, screenshot
//   set-up:            seed, language, tcpport, netlib
// Steps after one that opens a modal dialog run inside that dialog until it
// ends; a sheet step ends that run (and leaves the dialog open: an error).
#pragma once

#include <string>
#include <vector>

namespace oemuihost {

enum class StepKind {
    Model, Printer, Open, Select, Press, Answer, Page, Apply, Close, Dump, Network,
    Dialog, Set, Type, Key, Paste, Click, Choose, DateTime, Action,
    Expect, Screenshot, Seed, Language, TcpPort, NetLib,
};

// Steps that work on the sheet itself; inside a modal dialog they cannot run.
bool IsSheetStep(StepKind kind);

struct ScenarioStep {
    int line = 0;
    StepKind kind = StepKind::Apply;
    std::wstring word;  // the step's first word, lower case
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
