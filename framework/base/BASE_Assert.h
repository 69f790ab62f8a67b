#pragma once

// Fatal assertion for programming errors in a plug-in's own declarations (a malformed
// channel-configuration text, a missing image resource). Writes one line to standard
// error, "<file>:<line>: failed assertion `<condition>'", flushes it and aborts.
// `file` is the source path without extension, for example "framework/IEffectBase".

[[noreturn]] void BASE_FailAssertion(const char* file, int line, const char* condition);

#define BASE_ASSERT(file, cond) \
  ((cond) ? static_cast<void>(0) : BASE_FailAssertion((file), __LINE__, #cond))
