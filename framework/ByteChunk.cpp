#include "ByteChunk.h"

#include <climits>
#include <cstdint>
#include <cstring>

namespace {

// Little-endian byte images, whatever the byte order of the machine.
void StoreLE32(unsigned char* p, uint32_t v)
{
  for (int i = 0; i < 4; ++i) {
    p[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

uint32_t LoadLE32(const unsigned char* p)
{
  uint32_t v = 0;
  for (int i = 0; i < 4; ++i) {
    v |= static_cast<uint32_t>(p[i]) << (8 * i);
  }
  return v;
}

void StoreLE64(unsigned char* p, uint64_t v)
{
  for (int i = 0; i < 8; ++i) {
    p[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

uint64_t LoadLE64(const unsigned char* p)
{
  uint64_t v = 0;
  for (int i = 0; i < 8; ++i) {
    v |= static_cast<uint64_t>(p[i]) << (8 * i);
  }
  return v;
}

} // namespace

int ByteChunk::PutBytes(const void* bytes, int n)
{
  int size = Size();
  if (!bytes || n <= 0 || n > INT_MAX - size) {
    return size;
  }
  // The bytes may lie inside this chunk, whose storage the resize can move.
  uintptr_t base = reinterpret_cast<uintptr_t>(mBytes.Get());
  uintptr_t at = reinterpret_cast<uintptr_t>(bytes);
  bool inside = base != 0 && at >= base && at < base + static_cast<uintptr_t>(size);
  mBytes.Resize(size + n);
  if (Size() != size + n) {
    return size;
  }
  const unsigned char* source = inside ? mBytes.Get() + (at - base)
                                       : static_cast<const unsigned char*>(bytes);
  memmove(mBytes.Get() + size, source, static_cast<size_t>(n));
  return Size();
}

int ByteChunk::Put(int value)
{
  unsigned char b[4];
  StoreLE32(b, static_cast<uint32_t>(value));
  return PutBytes(b, 4);
}

int ByteChunk::Put(double value)
{
  uint64_t bits;
  memcpy(&bits, &value, 8);
  unsigned char b[8];
  StoreLE64(b, bits);
  return PutBytes(b, 8);
}

int ByteChunk::PutBool(bool b)
{
  unsigned char byte = b ? 1 : 0;
  return PutBytes(&byte, 1);
}

int ByteChunk::PutStr(const char* text)
{
  if (!text) {
    text = "";
  }
  size_t n = strlen(text);
  int size = Size();
  if (n > static_cast<size_t>(INT_MAX - 4) || static_cast<int>(n) + 4 > INT_MAX - size) {
    return size;
  }
  // Length and bytes go in together or not at all.
  mBytes.Resize(size + 4 + static_cast<int>(n));
  if (Size() != size + 4 + static_cast<int>(n)) {
    return size;
  }
  StoreLE32(mBytes.Get() + size, static_cast<uint32_t>(n));
  memcpy(mBytes.Get() + size + 4, text, n);
  return Size();
}

int ByteChunk::PutChunk(const ByteChunk* other)
{
  if (!other) {
    return Size();
  }
  return PutBytes(other->GetBytes(), other->Size());
}

int ByteChunk::GetBytesAt(void* out, int n, int startPos) const
{
  if (startPos < 0 || startPos > Size() - n) {
    return -1;
  }
  memcpy(out, mBytes.Get() + startPos, static_cast<size_t>(n));
  return startPos + n;
}

int ByteChunk::Get(int* value, int startPos) const
{
  unsigned char b[4];
  int pos = GetBytesAt(b, 4, startPos);
  if (pos >= 0) {
    *value = static_cast<int>(LoadLE32(b));
  }
  return pos;
}

int ByteChunk::Get(double* value, int startPos) const
{
  unsigned char b[8];
  int pos = GetBytesAt(b, 8, startPos);
  if (pos >= 0) {
    uint64_t bits = LoadLE64(b);
    memcpy(value, &bits, 8);
  }
  return pos;
}

int ByteChunk::GetBool(bool* b, int startPos) const
{
  unsigned char byte;
  int pos = GetBytesAt(&byte, 1, startPos);
  if (pos >= 0) {
    *b = byte != 0;
  }
  return pos;
}

int ByteChunk::GetStr(BASE_String* text, int startPos) const
{
  int length = 0;
  int pos = Get(&length, startPos);
  if (pos < 0 || length < 0 || length > INT_MAX - pos) {
    return -1;
  }
  int end = pos + length;
  if (text && end <= Size() && length >= 1) {
    text->Set(reinterpret_cast<const char*>(mBytes.Get() + pos), length);
  }
  return end;
}

int ByteChunk::Resize(int newSize)
{
  int previous = Size();
  if (newSize < 0) {
    return previous;
  }
  mBytes.Resize(newSize);
  if (Size() > previous) {
    memset(mBytes.Get() + previous, 0, static_cast<size_t>(Size() - previous));
  }
  return previous;
}

bool ByteChunk::IsEqual(const ByteChunk& other) const
{
  return Size() == other.Size() &&
         (Size() == 0 || memcmp(GetBytes(), other.GetBytes(), static_cast<size_t>(Size())) == 0);
}
