// SPDX-License-Identifier: GPL-3.0-or-later
// The register's model: filing keeps the bytes and the measurements, the
// same file is one result, dates and their source, baselines, the bus of a
// segment, the comparison of a segment, and the schema's migrations.
#include <gtest/gtest.h>

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QVariant>

#include "RegisterFixtures.h"
#include "core/frame/AppState.h"
#include "core/register/Register.h"
#include "core/register/RegisterEngine.h"
#include "core/register/RegisterSchema.h"
#include "core/results/ResultReader.h"

using namespace karvel;
using namespace karvel::test;

namespace {

RegisterAddRequest request(const QString& site, const QString& segment, const QByteArray& bytes,
                           const QString& name) {
  RegisterAddRequest r;
  r.site = site;
  r.segment = segment;
  r.bytes = bytes;
  r.fileName = name;
  r.fileTime = QDateTime(QDate(2026, 1, 5), QTime(8, 30));
  r.technician = QStringLiteral("Ana Ruiz");
  return r;
}

// Runs SQL on a register file with a connection of its own.
void runSql(const QString& path, const QStringList& statements) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    for (const QString& s : statements) {
      QSqlQuery q(db);
      EXPECT_TRUE(q.exec(RegisterEngine::schemaText(s))) << s.toStdString();
    }
    db.close();
  }
  QSqlDatabase::removeDatabase(QStringLiteral("raw"));
}

}  // namespace

TEST(Register, FilingKeepsTheBytesTheMeasurementsAndOneResultPerFile) {
  QTemporaryDir dir;
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(dir.filePath("r.sqlite"), English, &error)) << error.toStdString();
  EXPECT_EQ(reg.versionAtOpen(), 0);
  const QByteArray bytes = resultBytes("52.1", dateLine(23));
  auto r = request("Plant A", "Line 1", bytes, "C:\\TARVIK\\RES01.HTM");
  r.instrument = identityFromReply("TARVIK,RQ4102,4471052,V5.12\r");
  const auto first = reg.add(r, &error);
  ASSERT_TRUE(first) << error.toStdString();
  EXPECT_FALSE(first->alreadyFiled);
  EXPECT_EQ(reg.originalBytes(first->id, &error), bytes) << "byte for byte, CR LF included";

  const auto entry = reg.entry(first->id, &error);
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->fileName, "RES01.HTM") << "a path is cut to its name";
  EXPECT_EQ(entry->date, QDateTime(QDate(2026, 11, 23), QTime(9, 0)));
  EXPECT_EQ(entry->dateSource, DateSource::Result);
  EXPECT_EQ(entry->verdictStatus, Status::Green);
  EXPECT_EQ(entry->bus, "LIN - 19200 bit/s");
  EXPECT_EQ(entry->instrument.model, "RQ4102");
  EXPECT_EQ(entry->instrument.serial, "4471052");
  EXPECT_EQ(entry->instrument.firmware, "V5.12");
  EXPECT_EQ(originOf(*entry), ResultOrigin::Instrument);
  EXPECT_EQ(originText(*entry, English), "fetched from the instrument RQ4102 no. 4471052");
  EXPECT_EQ(entry->technician, "Ana Ruiz");
  // Found again by its bytes, whatever it was called; other bytes are not.
  const auto byBytes = reg.entryOfBytes(bytes, &error);
  ASSERT_TRUE(byBytes) << error.toStdString();
  EXPECT_EQ(byBytes->id, first->id);
  EXPECT_EQ(byBytes->site, "Plant A");
  EXPECT_FALSE(reg.entryOfBytes(resultBytes("50.0", dateLine(1)), &error));
  EXPECT_TRUE(error.isEmpty()) << "not filed is no failure";
  EXPECT_EQ(entry->sha256.size(), 64);

  const auto rows = reg.measurements(first->id, &error);
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), 2u);
  EXPECT_EQ((*rows)[0].name, "Bit time");
  EXPECT_EQ((*rows)[0].unit, "s");
  EXPECT_DOUBLE_EQ(*(*rows)[0].value, 52.1e-6);
  EXPECT_DOUBLE_EQ(*(*rows)[0].maximum, 53.2e-6);
  EXPECT_EQ((*rows)[1].unit, "V/s") << "the ratio's prefix folded in too";
  EXPECT_DOUBLE_EQ(*(*rows)[1].value, 2.9e6);
  EXPECT_EQ((*rows)[1].status, Status::Yellow);

  // The same bytes under another name and segment: the first filing stands.
  const auto again = reg.add(request("Plant B", "Line 9", bytes, "COPY.HTM"), &error);
  ASSERT_TRUE(again) << error.toStdString();
  EXPECT_TRUE(again->alreadyFiled);
  EXPECT_EQ(again->id, first->id);
  EXPECT_EQ(again->site, "Plant A");
  EXPECT_EQ(again->segment, "Line 1");
  const auto all = reg.list({}, &error);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->size(), 1u);
  EXPECT_EQ(reg.sites(&error)->size(), 1u) << "a duplicate makes no site";

  // Undated: the file's time stands in, and says so. Filed from a file:
  // that file is where it came from.
  auto fromFile = request("Plant A", "Line 1", resultBytes("52.3"), "U.HTM");
  fromFile.sourcePath = "/home/ana/results/U.HTM";
  const auto undated = reg.add(fromFile, &error);
  ASSERT_TRUE(undated) << error.toStdString();
  const auto u = reg.entry(undated->id, &error);
  EXPECT_EQ(u->sourcePath, "/home/ana/results/U.HTM");
  EXPECT_EQ(originOf(*u), ResultOrigin::File);
  EXPECT_EQ(originText(*u, English), "filed from the file /home/ana/results/U.HTM");
  EXPECT_EQ(originText(*u, French), "classé depuis le fichier /home/ana/results/U.HTM");
  EXPECT_EQ(u->dateSource, DateSource::FileTime);
  EXPECT_EQ(u->date, QDateTime(QDate(2026, 1, 5), QTime(8, 30)));
}

TEST(Register, WhatIsNotAResultOrNotTheSegmentsBusIsRefused) {
  QTemporaryDir dir;
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(dir.filePath("r.sqlite"), English, &error));
  ASSERT_TRUE(reg.add(request("P", "S", resultBytes("52.0", dateLine(1)), "a.HTM"), &error));

  EXPECT_FALSE(reg.add(request("P", "S", "just some text", "notes.txt"), &error));
  EXPECT_EQ(error, "notes.txt is not a result file (no result markers found)");
  EXPECT_FALSE(
      reg.add(request("P", "S", resultBytes("52.0", dateLine(2), "CAN HS - 500 kbit/s"), "can.HTM"),
              &error));
  EXPECT_TRUE(error.contains("CAN HS - 500 kbit/s") && error.contains("LIN - 19200 bit/s"))
      << error.toStdString();
  EXPECT_FALSE(reg.add(request("  ", "S", resultBytes("52.2"), "b.HTM"), &error));
  EXPECT_FALSE(error.isEmpty());
  EXPECT_EQ(reg.list({}, &error)->size(), 1u) << "nothing of a refusal is kept";
  // The same bus written with other blanks and case is the same bus.
  EXPECT_TRUE(reg.add(
      request("P", "S", resultBytes("52.0", dateLine(3), "lin -  19200 BIT/S"), "c.HTM"), &error))
      << error.toStdString();
}

TEST(Register, OneBaselinePerSegmentAndTheComparisonStartsThere) {
  QTemporaryDir dir;
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(dir.filePath("r.sqlite"), English, &error));
  std::vector<qint64> ids;
  for (int day = 1; day <= 4; ++day)
    ids.push_back(reg.add(request("P", "S", resultBytes(QString("52.%1").arg(day), dateLine(day)),
                                  QString("D%1.HTM").arg(day)),
                          &error)
                      ->id);
  const qint64 other =
      reg.add(request("P", "T", resultBytes("51.5", dateLine(9)), "T.HTM"), &error)->id;

  EXPECT_FALSE(reg.segmentRuns("P", "S", true, &error));
  EXPECT_EQ(error, "The segment S of the site P has no baseline");

  ASSERT_TRUE(reg.setBaseline(ids[0], &error));
  ASSERT_TRUE(reg.setBaseline(ids[1], &error)) << "replaces the one before";
  ASSERT_TRUE(reg.setBaseline(other, &error)) << "another segment's baseline";
  RegisterFilter onS;
  onS.site = "P";
  onS.segment = "S";
  int baselines = 0;
  const auto onSegment = reg.list(onS, &error);
  ASSERT_TRUE(onSegment);
  for (const RegisterEntry& e : *onSegment) baselines += e.baseline ? 1 : 0;
  EXPECT_EQ(baselines, 1);
  EXPECT_TRUE(reg.entry(ids[1], &error)->baseline);
  EXPECT_TRUE(reg.entry(other, &error)->baseline);
  EXPECT_FALSE(reg.setBaseline(9999, &error));
  EXPECT_EQ(error, "The register has no result 9999");

  const auto since = reg.compareSegment("P", "S", true, {}, &error);
  ASSERT_TRUE(since) << error.toStdString();
  ASSERT_EQ(since->runs.size(), 3u) << "the baseline and the two after it";
  EXPECT_EQ(since->runs[0].table.sourcePath, "D2.HTM");
  EXPECT_EQ(since->runs[0].dateSource, DateSource::Result);
  const auto all = reg.compareSegment("P", "S", false, {}, &error);
  ASSERT_TRUE(all);
  EXPECT_EQ(all->runs.size(), 4u);
  EXPECT_DOUBLE_EQ(*all->measurements[0].values[3], 52.4e-6);

  // The same files compared from disk give the same comparison.
  QStringList paths;
  for (qint64 id : ids)
    paths << writeResult(dir, reg.entry(id, &error)->fileName, *reg.originalBytes(id, &error));
  const auto fromFiles = compareResultFiles(paths, {}, English, &error);
  ASSERT_TRUE(fromFiles);
  ASSERT_EQ(fromFiles->measurements.size(), all->measurements.size());
  for (std::size_t m = 0; m < all->measurements.size(); ++m) {
    EXPECT_EQ(fromFiles->measurements[m].values, all->measurements[m].values);
    EXPECT_EQ(fromFiles->measurements[m].trend, all->measurements[m].trend);
  }

  ASSERT_TRUE(reg.clearBaseline("P", "S", &error));
  EXPECT_FALSE(reg.entry(ids[1], &error)->baseline);
}

TEST(Register, ListingFiltersBySiteSegmentDateAndText) {
  QTemporaryDir dir;
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(dir.filePath("r.sqlite"), English, &error));
  for (int day = 1; day <= 6; ++day) {
    auto r =
        request(day % 2 ? "North" : "South", day < 4 ? "A" : "B",
                resultBytes(QString("52.%1").arg(day), dateLine(day)), QString("R%1.HTM").arg(day));
    r.note = day == 5 ? QStringLiteral("after 50%_repair") : QString();
    ASSERT_TRUE(reg.add(r, &error)) << error.toStdString();
  }
  RegisterFilter f;
  f.site = "North";
  EXPECT_EQ(reg.list(f, &error)->size(), 3u);
  f.segment = "B";
  EXPECT_EQ(reg.list(f, &error)->size(), 1u);
  f = {};
  f.since = QDateTime(QDate(2026, 11, 4), QTime(0, 0));
  EXPECT_EQ(reg.list(f, &error)->size(), 3u);
  f = {};
  f.text = "50%_REP";  // the wildcards are the user's characters
  ASSERT_EQ(reg.list(f, &error)->size(), 1u);
  EXPECT_EQ(reg.list(f, &error)->front().fileName, "R5.HTM");
  f.text = "5%";
  EXPECT_EQ(reg.list(f, &error)->size(), 0u) << "\"%\" matches only itself";
}

// The register window's search: a date range, the bus as comparisons match
// it, the verdict's status; and the place proposed for the next result.
TEST(Register, ListingFiltersByDateRangeBusAndVerdictAndKnowsTheLastPlaceOfABus) {
  QTemporaryDir dir;
  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(dir.filePath("r.sqlite"), English, &error));
  EXPECT_FALSE(reg.lastFiledOfBus("LIN - 19200 bit/s", &error)) << "nothing filed yet";
  EXPECT_TRUE(error.isEmpty());
  for (int day = 1; day <= 6; ++day) {
    const bool can = day >= 5;
    auto r = request(can ? "Depot" : "Yard", can ? "C" : QString("L%1").arg(day % 2),
                     resultBytes(QString("52.%1").arg(day), dateLine(day),
                                 can ? "CAN - 500 kbit/s" : "LIN - 19200 bit/s",
                                 day == 2 || day == 6 ? "red" : "green"),
                     QString("R%1.HTM").arg(day));
    ASSERT_TRUE(reg.add(r, &error)) << error.toStdString();
  }
  RegisterFilter f;
  f.since = QDateTime(QDate(2026, 11, 2), QTime(0, 0));
  f.until = QDateTime(QDate(2026, 11, 4), QTime(23, 59));
  EXPECT_EQ(reg.list(f, &error)->size(), 3u);
  f = {};
  f.bus = "  can -  500 KBIT/S ";
  EXPECT_EQ(reg.list(f, &error)->size(), 2u);
  f.limit = 1;
  EXPECT_EQ(reg.list(f, &error)->size(), 1u) << "the limit counts results of the bus only";
  f = {};
  f.verdict = Status::Red;
  ASSERT_EQ(reg.list(f, &error)->size(), 2u);
  f.bus = "LIN - 19200 bit/s";
  ASSERT_EQ(reg.list(f, &error)->size(), 1u);
  EXPECT_EQ(reg.list(f, &error)->front().fileName, "R2.HTM");

  // Filed last, not dated last: R4 was filed after R3 and names segment L0.
  const auto last = reg.lastFiledOfBus("lin - 19200 bit/s", &error);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->site, "Yard");
  EXPECT_EQ(last->segment, "L0");
  EXPECT_EQ(reg.lastFiledOfBus("CAN - 500 kbit/s", &error)->fileName, "R6.HTM");
  EXPECT_FALSE(reg.lastFiledOfBus("K-LINE", &error));
}

TEST(RegisterSchema, ARegisterOfTheFirstVersionIsMigratedAndKeepsItsResults) {
  QTemporaryDir dir;
  const QString path = dir.filePath("v1.sqlite");
  QStringList v1 = RegisterSchema::firstVersion();
  v1 << "INSERT INTO register_info VALUES ('application', 'karvel-register')"
     << "INSERT INTO register_info VALUES ('schema_version', '1')"
     << "INSERT INTO site (customer, name) VALUES ('ACME', 'Old plant')"
     << "INSERT INTO segment (site_id, name, bus) VALUES (1, 'Line 1', 'LIN - 19200 bit/s')"
     << "INSERT INTO result (segment_id, file_name, sha256, size, bus, verdict, verdict_status, "
        "result_date, date_source, filed_at) VALUES (1, 'OLD.HTM', 'abc', 3, "
        "'LIN - 19200 bit/s', 'Bus within limits', 'pass', '2025-02-01T10:00:00', 'file', "
        "'2025-02-01T11:00:00')"
     << "INSERT INTO result_file VALUES (1, X'414243')"
     << "UPDATE segment SET baseline_id = 1";
  runSql(path, v1);

  Register reg;
  QString error;
  ASSERT_TRUE(reg.open(path, English, &error)) << error.toStdString();
  EXPECT_EQ(reg.versionAtOpen(), 1);
  const auto old = reg.entry(1, &error);
  ASSERT_TRUE(old) << error.toStdString();
  EXPECT_EQ(old->fileName, "OLD.HTM");
  EXPECT_TRUE(old->baseline);
  EXPECT_TRUE(old->instrument.isEmpty()) << "filed before instruments were recorded";
  EXPECT_TRUE(old->sourcePath.isEmpty());
  EXPECT_EQ(originText(*old, English), "origin not recorded") << "not said to be a file";
  EXPECT_EQ(reg.originalBytes(1, &error), "ABC");
  auto r = request("Old plant", "Line 1", resultBytes("52.0", dateLine(2)), "NEW.HTM");
  r.instrument.serial = "SN1";
  const auto added = reg.add(r, &error);
  ASSERT_TRUE(added) << error.toStdString();
  EXPECT_EQ(reg.entry(added->id, &error)->instrument.serial, "SN1");
  reg.close();
  ASSERT_TRUE(reg.open(path, English, &error));
  EXPECT_EQ(reg.versionAtOpen(), RegisterSchema::kCurrentVersion) << "migrated once";
}

TEST(RegisterSchema, EveryVersionUpToTheCurrentHasItsMigration) {
  for (int v = 2; v <= RegisterSchema::kCurrentVersion; ++v)
    EXPECT_FALSE(RegisterSchema::migrationTo(v).isEmpty()) << v;
  EXPECT_TRUE(RegisterSchema::migrationTo(RegisterSchema::kCurrentVersion + 1).isEmpty());
}

TEST(InstrumentIdentity, TheIdentificationReplyNamesModelSerialAndFirmware) {
  const InstrumentIdentity full = identityFromReply(" TARVIK,RQ6102,SN60233,V2.03\r\n");
  EXPECT_EQ(full.model, "RQ6102");
  EXPECT_EQ(full.serial, "SN60233");
  EXPECT_EQ(full.firmware, "V2.03");
  const InstrumentIdentity part = identityFromReply("TARVIK,RQ4102");
  EXPECT_EQ(part.model, "RQ4102");
  EXPECT_TRUE(part.serial.isEmpty());
  EXPECT_TRUE(identityFromReply("").isEmpty());
}
