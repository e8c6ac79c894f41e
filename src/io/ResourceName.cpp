// SPDX-License-Identifier: GPL-3.0-or-later
#include "io/ResourceName.h"

#include <QRegularExpression>

namespace karvel::io {

QString serialDeviceForNumber(int n) {
#ifdef Q_OS_WIN
  return QStringLiteral("COM%1").arg(n);
#else
  return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

QString serialResourceName(const QString& device) {
#ifndef Q_OS_WIN
  static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d+)$"));
  const auto m = ttyS.match(device);
  if (m.hasMatch()) return QStringLiteral("ASRL%1::INSTR").arg(m.captured(1).toInt() + 1);
#else
  static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"),
                                      QRegularExpression::CaseInsensitiveOption);
  const auto m = com.match(device);
  if (m.hasMatch()) return QStringLiteral("ASRL%1::INSTR").arg(m.captured(1).toInt());
#endif
  return QStringLiteral("ASRL%1::INSTR").arg(device);
}

std::optional<ResourceName> parseResourceName(const QString& raw) {
  const QString text = raw.trimmed();
  ResourceName r;
  if (text.startsWith(QLatin1String("ASRL"), Qt::CaseInsensitive)) {
    QString rest = text.mid(4);
    if (rest.endsWith(QLatin1String("::INSTR"), Qt::CaseInsensitive)) rest.chop(7);
    if (rest.isEmpty()) return std::nullopt;
    bool isNumber = false;
    const int n = rest.toInt(&isNumber);
    if (isNumber) {
      if (n < 1 || n > 9999) return std::nullopt;
      r.device = serialDeviceForNumber(n);
      r.canonical = QStringLiteral("ASRL%1::INSTR").arg(n);
    } else {
      if (rest.contains(QLatin1String("::"))) return std::nullopt;
      r.device = rest;
      r.canonical = QStringLiteral("ASRL%1::INSTR").arg(rest);
    }
    r.kind = ResourceName::Kind::Serial;
    return r;
  }
  static const QRegularExpression tcp(QStringLiteral("^TCPIP(\\d*)::([^:]+)::(\\d{1,5})::SOCKET$"),
                                      QRegularExpression::CaseInsensitiveOption);
  const auto m = tcp.match(text);
  if (!m.hasMatch()) return std::nullopt;
  const int port = m.captured(3).toInt();
  if (port < 1 || port > 65535) return std::nullopt;
  r.kind = ResourceName::Kind::Socket;
  r.host = m.captured(2);
  r.port = static_cast<quint16>(port);
  r.canonical = QStringLiteral("TCPIP%1::%2::%3::SOCKET")
                    .arg(m.captured(1).isEmpty() ? QStringLiteral("0") : m.captured(1), r.host)
                    .arg(port);
  return r;
}

bool matchesExpression(const QString& expression, const QString& name) {
  QString pattern = QStringLiteral("^");
  for (qsizetype i = 0; i < expression.size(); ++i) {
    const QChar c = expression[i];
    if (c == u'?') {
      pattern += u'.';
    } else if (c == u'*' || c == u'+') {
      pattern += c;
    } else if (c == u'[') {
      const qsizetype close = expression.indexOf(u']', i + 1);
      if (close < 0) return false;
      QString cls = expression.mid(i + 1, close - i - 1);
      cls.replace(QLatin1String("\\"), QLatin1String("\\\\"));
      pattern += u'[' + cls + u']';
      i = close;
    } else {
      pattern += QRegularExpression::escape(QString(c));
    }
  }
  pattern += u'$';
  const QRegularExpression re(pattern, QRegularExpression::CaseInsensitiveOption);
  return re.isValid() && re.match(name).hasMatch();
}

}  // namespace karvel::io
