// SPDX-License-Identifier: GPL-3.0-or-later
// The site register at the size of a busy service company: 20,000 results in
// 2,000 segments (one of them with 200 results), each result a real result
// file of 12 rows. Targets (median of the runs): open and list a segment
// < 100 ms, add one result < 50 ms (committed to the disk), compare the 200
// results of one segment < 300 ms, search the whole register < 200 ms.
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterEngine.h"
#include "core/register/RegisterSchema.h"

using namespace karvel;

namespace {

constexpr int kSegments = 2000;
constexpr int kResults = 20000;
constexpr int kBigSegmentResults = 200;
constexpr int kRows = 12;

QByteArray resultPage(int n, int day) {
  QByteArray page =
      "<HTML><BODY><H1>BUS DIAGNOSTIC RESULT</H1>\r\n<H2>CAN HS - 500 kbit/s</H2>\r\n"
      "<H4 class=\"green\">Bus within limits</H4>\r\n<P>Date : " +
      QDate(2020, 1, 1).addDays(day).toString("yyyy/MM/dd").toLatin1() +
      " 09:00:00</P>\r\n<TABLE>\r\n<TBODY>\r\n";
  for (int r = 0; r < kRows; ++r)
    page += "<TR class=\"row\"><TD>Measurement " + QByteArray::number(r + 1) +
            "</TD><TD>1.90 \xB5s</TD><TD>2.10 \xB5s</TD><TD class=\"green\">2.0" +
            QByteArray::number((n + r) % 10) + " \xB5s</TD><TD>40 %</TD></TR>\r\n";
  return page + "</TBODY>\r\n</TABLE>\r\n</BODY></HTML>\r\n<!-- " + QByteArray::number(n) +
         " -->\r\n";
}

// Fills the register in one transaction, the way the register files a
// result (its tables, its hash, its measurements), so that the set-up takes
// seconds rather than 20,000 commits.
bool fill(const QString& path) {
  {
    Register reg;
    QString error;
    if (!reg.open(path, English, &error)) {
      std::fprintf(stderr, "%s\n", qPrintable(error));
      return false;
    }
  }
  bool ok = true;
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(RegisterEngine::driverName(), "fill");
    db.setDatabaseName(path);
    db.open();
    db.transaction();
    QSqlQuery q(db);
    for (int s = 0; s < kSegments / 10; ++s) {
      q.prepare("INSERT INTO site (customer, name) VALUES (?, ?)");
      q.addBindValue(QString("Customer %1").arg(s % 37));
      q.addBindValue(QString("Site %1").arg(s, 3, 10, QChar('0')));
      ok &= q.exec();
    }
    for (int g = 0; g < kSegments; ++g) {
      q.prepare("INSERT INTO segment (site_id, name, bus) VALUES (?, ?, 'CAN HS - 500 kbit/s')");
      q.addBindValue(g / 10 + 1);
      q.addBindValue(QString("Segment %1").arg(g % 10));
      ok &= q.exec();
    }
    QSqlQuery result(db), file(db), row(db);
    result.prepare(
        "INSERT INTO result (segment_id, file_name, sha256, size, bus, verdict, verdict_status, "
        "result_date, date_source, filed_at, technician, note) VALUES (?, ?, ?, ?, "
        "'CAN HS - 500 kbit/s', 'Bus within limits', 'pass', ?, 'file', ?, ?, COALESCE(?, ''))");
    file.prepare("INSERT INTO result_file (result_id, bytes) VALUES (?, ?)");
    row.prepare(
        "INSERT INTO measurement (result_id, position, name, value, minimum, maximum, unit, "
        "status) VALUES (?, ?, ?, ?, 1.9e-6, 2.1e-6, 's', 'pass')");
    for (int n = 0; n < kResults && ok; ++n) {
      // Segment 1 gets 200 results; the others share the rest.
      const int segment = n < kBigSegmentResults ? 1 : 2 + (n % (kSegments - 1));
      const int day = n < kBigSegmentResults ? n * 7 : n % 2500;
      const QByteArray bytes = resultPage(n, day);
      const QString date = QDate(2020, 1, 1).addDays(day).toString("yyyy-MM-dd") + "T09:00:00";
      result.addBindValue(segment);
      result.addBindValue(QString("R%1.HTM").arg(n));
      result.addBindValue(
          QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex()));
      result.addBindValue(bytes.size());
      result.addBindValue(date);
      result.addBindValue(date);
      result.addBindValue(n % 3 ? "Ana Ruiz" : "Jean Martin");
      result.addBindValue(n % 97 == 0 ? QString("replaced terminator %1").arg(n) : QString());
      ok &= result.exec();
      const qint64 id = result.lastInsertId().toLongLong();
      file.addBindValue(id);
      file.addBindValue(bytes);
      ok &= file.exec();
      for (int r = 0; r < kRows; ++r) {
        row.addBindValue(id);
        row.addBindValue(r + 1);
        row.addBindValue(QString("Measurement %1").arg(r + 1));
        row.addBindValue(2.0e-6 + ((n + r) % 10) * 1e-8);
        ok &= row.exec();
      }
    }
    ok &= db.commit();
    q.exec("PRAGMA wal_checkpoint(TRUNCATE)");
    db.close();
  }
  QSqlDatabase::removeDatabase("fill");
  return ok;
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double timeMs(const std::function<void()>& f) {
  QElapsedTimer t;
  t.start();
  f();
  return t.nsecsElapsed() / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const QString path = dir.filePath("register.sqlite");
  QElapsedTimer setup;
  setup.start();
  if (!fill(path)) {
    std::fprintf(stderr, "could not fill the register\n");
    return 1;
  }
  std::printf("register of %d results in %d segments made in %.1f s\n", kResults, kSegments,
              setup.elapsed() / 1000.0);
  constexpr int kRuns = 7;
  std::vector<double> openList, add, compare, search;
  std::size_t listed = 0, found = 0, compared = 0;
  bool ok = true;
  for (int run = 0; run < kRuns; ++run) {
    Register reg;
    QString error;
    openList.push_back(timeMs([&] {
      ok &= reg.open(path, English, &error);
      RegisterFilter f;
      f.site = "Site 123";
      f.segment = "Segment 4";
      const auto rows = reg.list(f, &error);
      listed = rows ? rows->size() : 0;
    }));
    RegisterAddRequest r;
    r.site = "Site 050";
    r.segment = "Segment 3";
    r.fileName = QString("NEW%1.HTM").arg(run);
    r.bytes = resultPage(100000 + run, 3000 + run);
    add.push_back(timeMs([&] { ok &= reg.add(r, &error).has_value(); }));
    compare.push_back(timeMs([&] {
      const auto c = reg.compareSegment("Site 000", "Segment 0", false, {}, &error);
      compared = c ? c->runs.size() : 0;
    }));
    search.push_back(timeMs([&] {
      RegisterFilter f;
      f.text = "terminator 1";
      const auto rows = reg.list(f, &error);
      found = rows ? rows->size() : 0;
    }));
    if (!ok) std::fprintf(stderr, "%s\n", qPrintable(error));
  }
  struct Figure {
    const char* what;
    double ms;
    double target;
  } figures[] = {{"open and list a segment", median(openList), 100},
                 {"add one result", median(add), 50},
                 {"compare 200 results of one segment", median(compare), 300},
                 {"search the register", median(search), 200}};
  std::printf("(%zu listed, %zu compared, %zu found)\n", listed, compared, found);
  for (const Figure& f : figures) {
    std::printf("%-36s %8.1f ms  (target < %.0f ms)%s\n", f.what, f.ms, f.target,
                f.ms < f.target ? "" : "  TOO SLOW");
    ok &= f.ms < f.target;
  }
  ok &= compared == kBigSegmentResults && listed > 0 && found > 0;
  return ok ? 0 : 1;
}
