// What a session leaves behind for the user: the device mode the emulator
// stored as the user's defaults, the printer's printer data and the per-user
// registry values the plug-in writes. The sweep compares these before and
// after each session to find half-written settings.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

namespace oemuihost {

// "devmode FIELD", "printerdata NAME", "registry KEY\VALUE" → value.
using StoredState = std::map<std::wstring, std::wstring>;

// The printer data and per-user values (the device mode is taken apart).
// The core's own records of its installable-option items
// (InstallableOption.*) follow what its sheet showed and are left out.
StoredState SnapshotStoredState(const std::wstring &printerName);

// A device mode as the emulator stores it, one entry a field: the public
// part, the core's part and each field of the plug-in's block.
StoredState DevModeState(const std::vector<unsigned char> &bytes);
// The device mode stored for the printer, or empty.
std::vector<unsigned char> StoredDevMode(const std::wstring &printerName);

// One line a value: "NAME\tTYPE:HEX"; and back.
std::wstring SerializeState(const StoredState &state);
StoredState ParseState(const std::vector<std::wstring> &lines);

// Every value each name held after some step of a session ("(absent)" for
// a name that had none then).
using HeldValues = std::map<std::wstring, std::set<std::wstring>>;
// Books what a state holds after a step; names seen before that it lacks
// are booked as absent.
void BookHeldValues(const StoredState &state, HeldValues *pHeld);

// A session tore a write when a value it changed holds neither what it
// held before nor what the uninjected run's same session left there (when
// that session started from the same value) nor what that session held
// after one of its steps (a run an injected failure cut short stops at one
// of those): the names, else empty.
std::vector<std::wstring> TornValues(const StoredState &before, const StoredState &after,
                                     const StoredState &referenceBefore, const StoredState &referenceAfter,
                                     const HeldValues *pReferenceHeld = nullptr);

}  // namespace oemuihost
