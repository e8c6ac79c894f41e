// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated instrument: its state and its SCPI conversation. It takes the
// bytes that arrive on the link and hands back what the instrument would
// send, so the same engine serves a TCP socket and a pseudo-terminal.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QTimer>
#include <functional>

#include "FileStore.h"

namespace sim {

struct Settings {
  int family = 2;                   // 1: RQ4102, 2: RQ6102
  bool identByCode = true;          // identification reply holds the model's code
  QByteArray idn;                   // replaces the identification reply when not empty
  QByteArray mode = "BUS";          // current instrument mode
  bool refuseBus = false;           // "DEV:MOD BUS" queues an error instead
  quint32 calibration = 0x800000u;  // 24-bit configuration word
  int runState = 1;
  int transform = 0;
  qint32 baud = 115200;               // the instrument's serial speed
  bool fixedSpeed = false;            // ignores speed changes
  bool deafAfterSpeedChange = false;  // takes a speed change, then answers at no speed
  bool anySpeed = false;              // a USB CDC port: the line speed does not matter
  bool sdCard = true;
  // A card that cannot be read: every use of it fails with -200, and its
  // catalogue still answers the names it last listed.
  bool sdCardUnreadable = false;
  bool memoryFull = false;    // file blocks arrive but nothing new is stored
  bool refuseDelete = false;  // MMEM:DEL answers with an error, nothing is deleted
  // A file block whose bytes stop coming for this long is cut there: what
  // came is kept as the file (the store takes a block as it arrives), and
  // what follows is read as commands again.
  int blockTimeoutMs = 1000;
};

enum class Fault { None, Silent, Garbage, CloseMidReply };

// Faults of the file data blocks only, the rest of the conversation intact:
// half the block then the link closed, no "#" header, a length that is not a
// number, a length far beyond any file.
enum class BlockFault { None, Truncated, Garbage, BadLength, Huge };

class Instrument {
 public:
  explicit Instrument(Settings settings);

  FileStore& files() { return files_; }
  Settings& settings() { return s_; }
  void setFault(Fault fault) { fault_ = fault; }
  Fault fault() const { return fault_; }
  void setBlockFault(BlockFault fault) { blockFault_ = fault; }

  // Bytes from the link. `lineBaud` is the speed the link runs at, or 0 on a
  // socket; at any other speed than its own the instrument hears only noise.
  void receive(const QByteArray& bytes, qint32 lineBaud);
  // A new connection: forget any half-received command.
  void resetLink() {
    input_.clear();
    blockTimer_.stop();
    blockAnnounced_ = false;
  }

  std::function<void(const QByteArray&)> send;
  // Sends a file block, which the link may cut short later; empty: send.
  std::function<void(const QByteArray&)> sendBlock;
  // Drops the rest of a file block not yet sent; true when there was one.
  // A command that comes while a reply is under way stops that reply
  // ("Query INTERRUPTED", as IEEE 488.2 has it).
  std::function<bool()> dropBlockUnderWay;
  std::function<void()> closeLink;
  std::function<void(const QByteArray&)> log;

  // Root of the SD card and the key of the first family's second store.
  static constexpr const char* kSdRoot = "/sdcard_p1/";
  static constexpr const char* kSecondStore = "MEM";

 private:
  enum class Block { Taken, NotBlock, Incomplete };
  Block takeBlockCommand();
  // A block whose bytes stopped coming: what came is stored, the rest of
  // the input is commands again.
  void cutBlock();
  void interruptReply();
  void execute(const QByteArray& line);
  void reply(const QByteArray& text);
  void replyBlock(const QByteArray& data);
  void pushError(const QByteArray& error) { errors_.append(error); }
  QByteArray identification() const;
  QString currentFolder() const;
  bool folderReachable(const QString& key);

  Settings s_;
  FileStore files_;
  Fault fault_ = Fault::None;
  BlockFault blockFault_ = BlockFault::None;
  QByteArray input_;
  QList<QByteArray> errors_;
  bool hexFormat_ = false;
  QString storage_ = "LOCAL";
  QString dir_ = "/";
  QByteArray traceLimits_;
  // Runs while a file block waits for the rest of its bytes.
  QTimer blockTimer_;
  QElapsedTimer sinceInput_;
  bool blockWaiting_ = false;
  bool blockAnnounced_ = false;
};

}  // namespace sim
