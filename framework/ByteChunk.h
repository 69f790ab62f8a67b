#pragma once

#include "BASE_String.h"
#include "BASE_TypedBuf.h"

// A growable byte buffer of serialised state. Values are appended at the end and read from
// a position the caller keeps. Multi-byte values are little-endian; texts are a 32-bit
// length followed by the bytes, without terminator. No lock of its own.
class ByteChunk
{
public:
  ByteChunk() : mBytes(4096) {}

  ByteChunk(const ByteChunk&) = delete;
  ByteChunk& operator=(const ByteChunk&) = delete;

  // Appends a value; each returns the new size in bytes. When memory runs out nothing is
  // appended and the unchanged size is returned.
  int Put(int value);
  int Put(double value);
  int PutBool(bool b);
  int PutStr(const char* text);
  int PutChunk(const ByteChunk* other);
  // Appends n raw bytes.
  int PutBytes(const void* bytes, int n);

  // Reads a value at startPos and returns the position after it; -1 (value untouched) when
  // startPos is negative or the value runs past the end.
  int Get(int* value, int startPos) const;
  int Get(double* value, int startPos) const;
  // Any non-zero byte reads as true.
  int GetBool(bool* b, int startPos) const;
  // Reads a length and that many bytes into text. Returns -1 when the length cannot be read
  // or is negative, or its end cannot be represented; otherwise the end position, also when
  // it lies past the end of the chunk (then every later read fails). The text is set only
  // when the bytes lie inside the chunk and the length is at least 1.
  int GetStr(BASE_String* text, int startPos) const;

  // Sets the size, zero-filling new bytes; returns the previous size. 0 empties the chunk.
  int Resize(int newSize);
  int Size() const { return mBytes.GetSize(); }
  // The bytes; null while the chunk is empty.
  unsigned char* GetBytes() const { return mBytes.Get(); }

  bool IsEqual(const ByteChunk& other) const;

private:
  int GetBytesAt(void* out, int n, int startPos) const;

  BASE_TypedBuf<unsigned char> mBytes;
};
