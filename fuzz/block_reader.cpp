// SPDX-License-Identifier: GPL-3.0-or-later
// File data blocks from any bytes, read by the transfer's block reader through
// the I/O layer over a scripted link instead of a port.
//
// Input: one byte of options, then what the instrument sends.
//   bit 0      a serial port (else a TCP socket)
//   bit 1      the link is lost once everything was sent (else it falls silent)
//   bits 2..7  the size of the pieces the bytes arrive in; 0: all at once
#include <cstddef>
#include <cstdint>
#include <optional>

#include "FuzzSupport.h"
#include "core/frame/AppState.h"
#include "core/instrument/FileTransfer.h"
#include "io/Visa.h"
#include "support/ScriptedProgress.h"
#include "support/ScriptedTransport.h"

using namespace karvel;
using namespace karvel::io;

namespace {

// The data and the two bytes after it that a well-formed block header
// announces, or nullopt when the stream does not start with one.
std::optional<qint64> announcedLength(const QByteArray& stream, qsizetype* headerSize) {
  if (stream.size() < 2 || stream[0] != '#' || stream[1] < '1' || stream[1] > '9') return {};
  const int digits = stream[1] - '0';
  if (stream.size() < 2 + digits) return {};
  qint64 length = 0;
  for (int i = 0; i < digits; ++i) {
    const char c = stream[2 + i];
    if (c < '0' || c > '9') return {};
    length = length * 10 + (c - '0');
  }
  if (length > kMaxBlockLength) return {};
  *headerSize = 2 + digits;
  return length;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::uint8_t options = data[0];
  const QByteArray stream(reinterpret_cast<const char*>(data + 1),
                          static_cast<qsizetype>(size - 1));
  const bool serial = options & 1;
  const qsizetype piece = options >> 2;

  auto script = std::make_shared<test::Script>();
  script->lostAtEnd = options & 2;
  for (qsizetype at = 0; at < stream.size(); at += piece == 0 ? stream.size() : piece)
    script->replies.append(stream.mid(at, piece == 0 ? stream.size() : piece));

  Visa visa;
  test::playScript(visa, script);
  AppState state;
  state.visa = &visa;
  ViSession rm = VI_NULL;
  ViSession vi = VI_NULL;
  FUZZ_CHECK(visa.viOpenDefaultRM(&rm) == VI_SUCCESS);
  FUZZ_CHECK(visa.viOpen(rm, serial ? "ASRL1::INSTR" : "TCPIP0::10.0.0.5::23::SOCKET", VI_NO_LOCK,
                         0, &vi) == VI_SUCCESS);

  QByteArray buffer;
  ViUInt32 count = 0;
  test::ScriptedProgress progress;
  const ViStatus status = Tarvik_Read_Binary_Data(state, vi, &buffer, &count, &progress);
  FUZZ_CHECK(count == static_cast<ViUInt32>(buffer.size()));
  FUZZ_CHECK(progress.monotonic());

  qsizetype header = 0;
  const std::optional<qint64> length = announcedLength(stream, &header);
  if (!length) {
    FUZZ_CHECK(status == -1 && buffer.isEmpty());
  } else {
    // The data and the two bytes after it, as far as they came.
    const QByteArray expected = stream.mid(header, *length + 2);
    if (expected.size() == *length + 2) {
      FUZZ_CHECK(status == VI_SUCCESS || status == VI_SUCCESS_MAX_CNT);
      FUZZ_CHECK(buffer == expected);
    } else {
      FUZZ_CHECK(status < VI_SUCCESS);
      FUZZ_CHECK(expected.startsWith(buffer));
    }
  }

  // The session is left as the opening set it, whatever came.
  ViAttrState timeout = 0;
  ViAttrState suppressEnd = 1;
  visa.viGetAttribute(vi, VI_ATTR_TMO_VALUE, &timeout);
  visa.viGetAttribute(vi, VI_ATTR_SUPPRESS_END_EN, &suppressEnd);
  FUZZ_CHECK(timeout == kNormalTimeoutMs && suppressEnd == VI_FALSE);
  visa.viClose(rm);
  return 0;
}
