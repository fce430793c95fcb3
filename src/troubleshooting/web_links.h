// The page's web links (the maker's pages and the printer's embedded web
// page), its help topic and the topic the job-status alert tool last
// reported.
#pragma once

#include <windows.h>

namespace oemui {

struct ModelConfig;

// Link targets longer than this are cut (terminator included).
constexpr size_t kLinkAddressCch = MAX_PATH;

// The marker of a link to the printer's embedded web page; its "%s" stands
// for the printer's address.
constexpr wchar_t kEmbeddedPageMarker[] = L"http://%s";

// True when the target is a link to the printer's own web page.
bool IsEmbeddedPageTarget(const wchar_t *pszTarget);

// True when the shell may be given the target: it starts with "http://" or
// "https://" (any case). Anything else could start a program or a document.
bool IsWebTarget(const wchar_t *pszTarget);

// The address a link opens: for an embedded-page target the printer address
// in place of the "%s" after "http://" ("%%" gives "%", every other "%" stays
// as written); any other target as it stands. Cut to cchDest - 1.
void BuildLinkAddress(const wchar_t *pszTarget, const wchar_t *pszPrinterAddress, wchar_t *pszDest,
                      size_t cchDest);

// Shell-opens the address; when the shell has no handler, starts the browser
// with the address as one quoted argument (refused when the address holds a
// quote or a control character). Only web addresses are opened at all.
void OpenBrowser(const wchar_t *pszAddress, int nShowCommand);

// Opens web link n (1 .. 6) of the page.
void OpenWebLink(const ModelConfig *pConfig, int n);

// The page's help topic.
void ShowPageHelp(const ModelConfig *pConfig);

// Reads "POutrider_LastInfo" into pszTopic (kLinkAddressCch characters),
// terminated after 259 characters whatever the stored type. False when the
// printer has no such value.
bool ReadLastAlertTopic(HANDLE hPrinter, wchar_t *pszTopic);

// Opens the topic the alert tool last reported, when there is one.
void ShowLastAlertTopic(const ModelConfig *pConfig);

}  // namespace oemui
