// SPDX-License-Identifier: GPL-3.0-or-later
// Every command the program sends to the instrument, byte for byte. "\r" is
// the carriage return that ends each command; several may share one write.
// Texts with a printf conversion take the value named beside them.
#pragma once

namespace karvel::scpi {

// Opening and checking a session.
inline constexpr const char* kIdentify = "\r*IDN?\r";
inline constexpr const char* kBaud115200 = "SYST:COMM:SER:BAUD 115200\r";
inline constexpr const char* kClearAfterBaud = "\r*CLS\r";
inline constexpr const char* kDtrOn = "SYST:COMM:SER:CONT:DTR 1\r";
inline constexpr const char* kThreeReturns = "\r\r\r";
inline constexpr const char* kClear = "*CLS\r";
inline constexpr const char* kDataFormat = "FORM:DATA INT;DINT ON\r";
inline constexpr const char* kRunStateQuery = "TRIG:RUN:STAT?\r";
inline constexpr const char* kCalibrationQuery = "FORM HEX\rZC:CAL:CONFIG?\rFORM INT\r";
inline constexpr const char* kRestartRun = "\rTRIG:RUN:STAT 1\r";
inline constexpr const char* kTraceLimits = "TRAC:LIM 0,%i,1\r";  // trace length - 1
inline constexpr const char* kModeQuery = "DEV:MOD?\r";
inline constexpr const char* kModeBus = "DEV:MOD BUS\r";
inline constexpr const char* kTransformQuery = "CALC:TRAN:FREQ?\r";
inline constexpr const char* kTransformOff = "CALC:TRAN:FREQ 0\r";

// Identification of a second-family instrument named by its prefix.
inline constexpr const char* kClearAndModeBus = "*CLS\rDEV:MOD BUS\r";
inline constexpr const char* kErrorQuery = "SYST:ERR?\r";

// File transfer.
inline constexpr const char* kSelectStorage = "MMEM:MSIS %s\r";  // "LOCAL" or ""
inline constexpr const char* kBusLimitsFolder = "MMEM:CDIR \"/bus-limits\"\r";
inline constexpr const char* kCatalogue = "MMEM:CAT?\r";
inline constexpr const char* kDeleteFile = "MMEM:DEL \"%s\"\r*OPC?\r";  // name
inline constexpr const char* kStopRun = "TRIG:RUN:STAT 0\r";
inline constexpr const char* kUploadHeader = "MMEM:DATA \"%s\",#%i%i";  // name, digits, size
inline constexpr const char* kCatalogueAfterUpload = "\rMMEM:CAT?\r";
inline constexpr const char* kStartRun = "TRIG:RUN:STAT 1\r";
inline constexpr const char* kSecondStoreCatalogue = "MEM:CAT?\r";
inline constexpr const char* kChangeFolder = "MMEM:CDIR \"%s%s\"\r";   // root, folder
inline constexpr const char* kSecondStoreData = "MEM:DATA? \"%s\"\r";  // name
inline constexpr const char* kData = "MMEM:DATA? \"%s\"\r";            // name

// Catalogue listing.
inline constexpr const char* kListCatalogue = ":MMEM:CAT? %s\r";  // "LOCAL"
inline constexpr const char* kListSecondStore = ":MEM:CAT?\r";
inline constexpr const char* kListStorage = ":MMEM:MSIS %s\r";  // "LOCAL" or "SDCARD"
inline constexpr const char* kListBusLimits = ":MMEM:CDIR \"/bus-limits\"\r";
inline constexpr const char* kListResults = ":MMEM:CDIR \"/bus\"\r";
inline constexpr const char* kListClear = ":*CLS\r";
inline constexpr const char* kListSdCatalogue = ":MMEM:CAT?\r";
inline constexpr const char* kListErrorQuery = ":SYST:ERR?\r";

}  // namespace karvel::scpi
