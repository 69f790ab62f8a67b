#pragma once

#include "BASE_String.h"

// Diagnostic trace hook. Framework and adapter operations report what they do through it;
// in this system it writes nothing. Callers still evaluate the arguments.
// Any thread; never blocks.
void Trace(const char* functionName, int lineNumber, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

#define TRACE(...) Trace(__FUNCTION__, __LINE__, __VA_ARGS__)

// Local time as "YYYYMMDD HH:MM " followed by the capital letters of the time-zone name.
// Returns a static buffer that the next call overwrites; not for simultaneous use.
const char* CurrentTime();

// "[Mon D hh:mm]" from a compiler date ("Mmm dd yyyy", day padded to two characters) and
// time ("hh:mm:ss").
void CompileTimestamp(const char* date, const char* time, BASE_String* out);

// Keeps one text for the process, set to text on the first call; every call appends " "
// and the compile time stamp. Returns the text; not for simultaneous use.
const char* AppendTimestamp(const char* date, const char* time, const char* text);

// Names of host codes for trace arguments; empty in this system.
const char* AUSelectStr(int select);
const char* AUPropertyStr(int propertyID);
const char* AUScopeStr(int scope);
const char* VSTOpcodeStr(int opCode);
