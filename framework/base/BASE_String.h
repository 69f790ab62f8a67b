#pragma once

#include "BASE_HeapBuf.h"

// A zero-terminated text in a growable buffer (granularity 128 bytes). Its storage never
// shrinks; a string that was never given text owns no memory.
class BASE_String
{
public:
  BASE_String() : mBuf(128) {}
  explicit BASE_String(const char* text) : mBuf(128) { Set(text); }
  BASE_String(const BASE_String& other) : mBuf(128) { Set(other.Get()); }
  BASE_String& operator=(const BASE_String& other)
  {
    if (this != &other) {
      Set(other.Get());
    }
    return *this;
  }

  // The text; the empty text (never null) when nothing is stored.
  const char* Get() const;
  int GetLength() const;

  // Copies at most maxLength characters of text (all of them when maxLength is 0) and a
  // terminator. A null text is the empty text. False when memory ran out (the old text stays).
  bool Set(const char* text, int maxLength = 0);
  // Appends at most maxLength characters of text (all when maxLength is 0).
  bool Append(const char* text, int maxLength = 0);
  // Removes up to length characters from position on; nothing when position is negative or
  // at or past the end.
  void DeleteSub(int position, int length);

private:
  char* Chars() const { return static_cast<char*>(mBuf.Get()); }
  BASE_HeapBuf mBuf;
};
