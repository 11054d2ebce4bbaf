// "pgTunnelTrace.txt" beside the library: one line per call it receives, so that tests can see
// exactly what the caller handed over.
#pragma once
#include <string>

// A text argument as lower-case hex pairs of its bytes, or "null".
std::string HexText(const char* text);
// "set" or "null" for a callback argument.
std::string CallbackText(const void* callback);
// Appends "what thread=ID" and the fields, then CR LF; the line is on disk when this returns.
void Trace(const std::string& what, const std::string& fields);
