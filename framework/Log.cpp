#include "Log.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <ctime>

void Trace(const char* /*functionName*/, int /*lineNumber*/, const char* /*format*/, ...)
{
}

const char* CurrentTime()
{
  static char sTime[128];
  time_t now = time(nullptr);
  struct tm local;
  localtime_r(&now, &local);

  char dateTime[64];
  char zone[64];
  if (strftime(dateTime, sizeof(dateTime), "%Y%m%d %H:%M ", &local) == 0) {
    dateTime[0] = '\0';
  }
  if (strftime(zone, sizeof(zone), "%Z", &local) == 0) {
    zone[0] = '\0';
  }
  // A zone name of capitalised words is shown by its initials.
  size_t n = strlen(dateTime);
  memcpy(sTime, dateTime, n);
  for (const char* z = zone; *z && n < sizeof(sTime) - 1; ++z) {
    if (isupper(static_cast<unsigned char>(*z))) {
      sTime[n++] = *z;
    }
  }
  sTime[n] = '\0';
  return sTime;
}

void CompileTimestamp(const char* date, const char* time, BASE_String* out)
{
  if (!out) {
    return;
  }
  out->Set("[");
  out->Append(date ? date : "", 6);
  // Drops the blank after the month (the padding blank of a one-digit day).
  out->DeleteSub(4, 1);
  out->Append(" ");
  out->Append(time ? time : "");
  char cut[13];
  snprintf(cut, sizeof(cut), "%s", out->Get());
  out->Set(cut);
  out->Append("]");
}

const char* AppendTimestamp(const char* date, const char* time, const char* text)
{
  static BASE_String sText;
  static bool sStarted = false;
  if (!sStarted) {
    sText.Set(text);
    sStarted = true;
  }
  BASE_String stamp;
  CompileTimestamp(date, time, &stamp);
  sText.Append(" ");
  sText.Append(stamp.Get());
  return sText.Get();
}

const char* AUSelectStr(int /*select*/) { return ""; }
const char* AUPropertyStr(int /*propertyID*/) { return ""; }
const char* AUScopeStr(int /*scope*/) { return ""; }
const char* VSTOpcodeStr(int /*opCode*/) { return ""; }
