// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/register/RegisterLocation.h"

#include <QByteArray>
#include <cctype>

#include "core/register/RegisterTexts.h"

namespace karvel {

namespace {

// Percent-decoding as libpq does it: %XX bytes, then UTF-8. A lone or
// malformed escape is an error rather than a guess.
std::optional<QString> decoded(const QString& text) {
  const QByteArray in = text.toUtf8();
  QByteArray out;
  out.reserve(in.size());
  for (qsizetype i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      out += in[i];
      continue;
    }
    if (i + 2 >= in.size()) return std::nullopt;
    bool ok = false;
    const int byte = in.mid(i + 1, 2).toInt(&ok, 16);
    if (!ok || !std::isxdigit(static_cast<unsigned char>(in[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(in[i + 2])))
      return std::nullopt;
    out += char(byte);
    i += 2;
  }
  return QString::fromUtf8(out);
}

// The connection parameters this program understands in the query; an
// unknown one is refused so that a typing mistake is not silently dropped.
const QStringList kKnownOptions = {"host",
                                   "hostaddr",
                                   "port",
                                   "dbname",
                                   "user",
                                   "sslmode",
                                   "sslcert",
                                   "sslkey",
                                   "sslrootcert",
                                   "sslcrl",
                                   "connect_timeout",
                                   "application_name",
                                   "target_session_attrs",
                                   "keepalives",
                                   "keepalives_idle",
                                   "passfile",
                                   "gssencmode"};

}  // namespace

QString RegisterServer::displayName() const {
  QString out;
  if (!user.isEmpty()) out += user + u'@';
  out += host.isEmpty() ? QStringLiteral("localhost") : host;
  if (port > 0) out += u':' + QString::number(port);
  out += u'/' + (database.isEmpty() ? user : database);
  return out;
}

bool isServerLocation(const QString& location) {
  const QString t = location.trimmed();
  return t.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
         t.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<RegisterServer> parseServerLocation(const QString& location, int language,
                                                  QString* error) {
  const QString text = location.trimmed();
  auto refuse = [&](const QString& why) -> std::optional<RegisterServer> {
    if (error) *error = pick(registertext::kBadServerAddress, language).arg(why);
    return std::nullopt;
  };
  if (!isServerLocation(text)) return refuse(QStringLiteral("postgresql://..."));
  QString rest = text.mid(text.indexOf(QLatin1String("://")) + 3);
  QString query;
  if (const qsizetype q = rest.indexOf(u'?'); q >= 0) {
    query = rest.mid(q + 1);
    rest = rest.left(q);
  }
  QString path;
  if (const qsizetype slash = rest.indexOf(u'/'); slash >= 0) {
    path = rest.mid(slash + 1);
    rest = rest.left(slash);
  }
  RegisterServer server;
  // userinfo@hostspec; the last '@' ends the user part.
  if (const qsizetype at = rest.lastIndexOf(u'@'); at >= 0) {
    const QString userInfo = rest.left(at);
    rest = rest.mid(at + 1);
    if (userInfo.contains(u':')) return refuse(pick(registertext::kPasswordInAddress, language));
    const std::optional<QString> user = decoded(userInfo);
    if (!user) return refuse(userInfo);
    server.user = *user;
  }
  if (rest.contains(u',')) return refuse(pick(registertext::kOneServerOnly, language));
  // host[:port], the host possibly an [IPv6] address.
  QString hostPart = rest, portPart;
  if (rest.startsWith(u'[')) {
    const qsizetype close = rest.indexOf(u']');
    if (close < 0) return refuse(rest);
    hostPart = rest.mid(1, close - 1);
    const QString after = rest.mid(close + 1);
    if (!after.isEmpty()) {
      if (!after.startsWith(u':')) return refuse(rest);
      portPart = after.mid(1);
    }
  } else if (const qsizetype colon = rest.lastIndexOf(u':'); colon >= 0) {
    hostPart = rest.left(colon);
    portPart = rest.mid(colon + 1);
  }
  const std::optional<QString> host = decoded(hostPart);
  if (!host) return refuse(hostPart);
  server.host = *host;
  auto setPort = [&](const QString& value) {
    bool ok = false;
    const int port = value.toInt(&ok);
    if (!ok || port < 1 || port > 65535) return false;
    server.port = port;
    return true;
  };
  if (!portPart.isEmpty() && !setPort(portPart)) return refuse(portPart);
  const std::optional<QString> database = decoded(path);
  if (!database) return refuse(path);
  server.database = *database;

  for (const QString& pair : query.split(u'&', Qt::SkipEmptyParts)) {
    const qsizetype eq = pair.indexOf(u'=');
    if (eq <= 0) return refuse(pair);
    const std::optional<QString> key = decoded(pair.left(eq));
    const std::optional<QString> value = decoded(pair.mid(eq + 1));
    if (!key || !value) return refuse(pair);
    if (*key == u"password") return refuse(pick(registertext::kPasswordInAddress, language));
    if (!kKnownOptions.contains(*key)) return refuse(*key);
    // Qt's driver joins the options with blanks and splits on ';'.
    if (value->contains(u';')) return refuse(pair);
    if (*key == u"host") {
      if (value->contains(u',')) return refuse(pick(registertext::kOneServerOnly, language));
      server.host = *value;
    } else if (*key == u"port") {
      if (!setPort(*value)) return refuse(*value);
    } else if (*key == u"dbname") {
      server.database = *value;
    } else if (*key == u"user") {
      server.user = *value;
    } else {
      server.options.emplace_back(*key, *value);
    }
  }
  return server;
}

}  // namespace karvel
