// SPDX-License-Identifier: GPL-3.0-or-later
// The instrument I/O layer: resource manager, sessions, attributes and the
// unformatted and formatted reads and writes, with VISA's operation names,
// status codes and rules. The application owns one instance and passes it to
// the code that talks to the instrument. Every call blocks the calling thread
// for at most the session's time-out.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>
#include <memory>

#include "io/LinkFailure.h"
#include "io/ResourceName.h"
#include "io/Transport.h"
#include "io/VisaTypes.h"

class QObject;

namespace karvel::io {

// A serial port the system has: its device (path or name) and the text the
// system reports for it (for USB ports the product text, e.g. "Gadget Serial").
struct SerialPortEntry {
  QString device;
  QString description;
};

// What the layer did, for logs and tests.
struct TraceEvent {
  enum class Kind { Open, Close, Write, Read, SetAttribute };
  Kind kind;
  ViSession session = VI_NULL;
  QByteArray data;  // Open: the resource name; Write/Read: the bytes
  ViStatus status = VI_SUCCESS;
  ViAttr attribute = 0;
  ViAttrState value = 0;
};

class Visa {
 public:
  using PortLister = std::function<QList<SerialPortEntry>()>;
  // Makes the link an open of `name` goes through; `description` is the
  // listed text of a serial port. Null refuses the resource.
  using TransportMaker = std::function<std::unique_ptr<Transport>(const ResourceName& name,
                                                                  const QString& description)>;

  Visa();
  ~Visa();
  Visa(const Visa&) = delete;
  Visa& operator=(const Visa&) = delete;

  // The serial ports a resource search walks; the system's by default.
  void setPortLister(PortLister lister);
  static QList<SerialPortEntry> systemSerialPorts();
  // The links sessions open; by default the serial port or TCP socket the
  // resource name says. Code that has no port (fuzz targets, tests) hands in
  // its own transport here and keeps every rule of the layer above it.
  void setTransportMaker(TransportMaker maker);
  // Time allowed to connect a TCP socket when opening it (the open time-out
  // of 0 asks for no lock wait, not for an instant connection).
  void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
  void setTrace(std::function<void(const TraceEvent&)> trace) { trace_ = std::move(trace); }
  // Runs every few tens of milliseconds while a read or write of any session
  // waits for its link, so that a program with windows keeps them painted
  // during a long transfer. Empty (the default): every wait is one piece.
  // `cancelled`, when given, is asked between those pieces of a read: once it
  // says yes, every read that would wait ends at once with VI_ERROR_ABORT
  // (handing over what had arrived), whatever its time-out, and the next
  // write on that session first drops what the abandoned reply still brings.
  // waitHook() hands both back as one function, so that code which saves the
  // hook and puts it back later puts the cancel back with it; a hook set
  // without one (a transfer's) reads as before until it is put back.
  void setWaitHook(std::function<void()> hook, std::function<bool()> cancelled = {});
  const std::function<void()>& waitHook() const { return waitHook_; }
  bool readsCancellable() const { return bool(cancelled_); }
  // Told when the link of an open instrument session ends by itself (the
  // peer closed the socket, the serial device went away), once per session:
  // on the thread that owns this layer, from its event loop, never inside
  // one of the layer's calls nor for a session closed by viClose. A handler
  // that cannot act now returns false and is told again a little later,
  // for as long as the session stays open.
  using LinkClosedHandler = std::function<bool(ViSession session)>;
  void setLinkClosedHandler(LinkClosedHandler handler) { linkClosed_ = std::move(handler); }
  // The end of `vi`'s link as a failure (cause Lost, with its address and
  // the system's words); no cause while the link holds.
  LinkFailure linkLoss(ViSession vi) const;

  ViStatus viOpenDefaultRM(ViSession* rm);
  ViStatus viFindRsrc(ViSession rm, const QString& expression, ViFindList* list, ViUInt32* count,
                      QString* firstName);
  ViStatus viFindNext(ViFindList list, QString* name);
  ViStatus viOpen(ViSession rm, const QString& name, ViUInt32 accessMode, ViUInt32 openTimeout,
                  ViSession* vi);
  ViStatus viClose(ViObject object);
  ViStatus viSetAttribute(ViObject object, ViAttr attribute, ViAttrState value);
  ViStatus viGetAttribute(ViObject object, ViAttr attribute, ViAttrState* value);
  ViStatus viGetAttribute(ViObject object, ViAttr attribute, QString* value);
  ViStatus viSetBuf(ViSession vi, ViUInt16 mask, ViUInt32 size);
  // Discards buffered input (VI_READ_BUF_DISCARD, VI_IO_IN_BUF_DISCARD)
  // and what was written but has not left the PC (VI_IO_OUT_BUF_DISCARD).
  ViStatus viFlush(ViSession vi, ViUInt16 mask);
  ViStatus viWrite(ViSession vi, const QByteArray& bytes, ViUInt32* written = nullptr);
  ViStatus viWrite(ViSession vi, const char* text, ViUInt32* written = nullptr) {
    return viWrite(vi, QByteArray(text), written);
  }
  // Reads at most `count` bytes into `out` (replaced).
  ViStatus viRead(ViSession vi, QByteArray* out, ViUInt32 count);
  // Formatted read; only "%hd" (one 16-bit integer) is supported.
  ViStatus viScanf(ViSession vi, const char* format, ViInt16* value);

  // A text for a status, like viStatusDesc.
  static QString statusText(ViStatus status);
  // The system's reason for the last failed open, if any.
  QString lastOpenError() const { return lastOpenError_; }
  // How the last opening, read or write of an instrument session ended:
  // its cause and the address, or no cause when it went through.
  const LinkFailure& lastFailure() const { return lastFailure_; }
  void clearLastFailure() { lastFailure_ = {}; }
  // Number of objects (managers, sessions, find lists) currently open.
  int openObjectCount() const { return static_cast<int>(objects_.size()); }

 private:
  struct Object;
  Object* find(ViObject id);
  ViObject add(std::unique_ptr<Object> object);
  void closeObject(ViObject id);
  ViStatus readUntil(Object& s, QByteArray* out, ViUInt32 count);
  void emitTrace(TraceEvent event) const;
  void noteTransfer(const Object& s, ViStatus status);
  void runWaitHook();
  void noteLinkClosed(ViObject id);
  void tellLinkClosed(ViObject id, int delayMs);

  std::map<ViObject, std::unique_ptr<Object>> objects_;
  ViObject nextId_ = 1;
  PortLister lister_;
  TransportMaker transportMaker_;
  int connectTimeoutMs_ = 2000;
  QString lastOpenError_;
  LinkFailure lastFailure_;
  std::function<void(const TraceEvent&)> trace_;
  std::function<void()> waitHook_;
  std::function<bool()> cancelled_;
  QElapsedTimer sinceHook_;
  LinkClosedHandler linkClosed_;
  // Calls of the layer under way: a link's end is told only outside them.
  int calls_ = 0;
  // Where the news of a link's end waits for the event loop; going with
  // the layer, it takes news not yet told with it.
  std::unique_ptr<QObject> postbox_;
};

}  // namespace karvel::io
