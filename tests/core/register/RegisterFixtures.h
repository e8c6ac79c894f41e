// SPDX-License-Identifier: GPL-3.0-or-later
// Result files for the register's tests: one bus, a date line or none, a
// value that makes each file's bytes its own.
#pragma once

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace karvel::test {

inline QByteArray resultBytes(const QString& value, const QString& dateLine = {},
                              const char* bus = "LIN - 19200 bit/s",
                              const char* verdictClass = "green") {
  return QByteArray("<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n<H2>") + bus +
         "</H2>\r\n<H4 class=\"" + verdictClass + "\">Bus within limits</H4>\r\n" +
         dateLine.toLatin1() +
         "<TABLE border=\"1\">\r\n<TBODY>\r\n"
         "<TR class=\"row\"><TD>Bit time</TD><TD>51.0 \xB5s</TD><TD>53.2 \xB5s</TD>"
         "<TD class=\"green\">" +
         value.toLatin1() +
         " \xB5s</TD><TD>2 %</TD></TR>\r\n"
         "<TR class=\"row\"><TD>Slew rate</TD><TD>1.0 V/\xB5s</TD><TD>3.0 V/\xB5s</TD>"
         "<TD class=\"yellow\">2.9 V/\xB5s</TD><TD>5 %</TD></TR>\r\n"
         "</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n";
}

// "Date : 2026/11/DD 09:00:00", the instrument's own line.
inline QString dateLine(int day) {
  return QStringLiteral("<P>Date : 2026/11/%1 09:00:00</P>\r\n").arg(day, 2, 10, QChar(u'0'));
}

inline QString writeResult(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes,
                           const QDateTime& mtime = {}) {
  const QString path = dir.filePath(name);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write(bytes);
  f.close();
  if (mtime.isValid() && f.open(QIODevice::ReadWrite))
    f.setFileTime(mtime, QFileDevice::FileModificationTime);
  return path;
}

inline QByteArray fileBytes(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace karvel::test
