// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a bus definition file into the panel model, the value formats, the
// edits of the table and title, and the Save command's naming rule.
#include <gtest/gtest.h>
#include <QFile>
#include <QTemporaryDir>

#include "core/bus/BusFile.h"
#include "core/bus/XmlDocument.h"
#include "support/ScriptedInteraction.h"

using namespace karvel;

namespace {

// Records how deep the busy cursor was when each message box came up.
class BusyWatchingInteraction : public test::ScriptedInteraction {
 public:
  QList<int> busyAtMessage;
  void message(const QString& title, const QString& text) override {
    busyAtMessage.append(busyDepth);
    ScriptedInteraction::message(title, text);
  }
};

QString measure(int k, const QString& name, const QString& unit, const QString& min,
                const QString& max, const QString& warning, int bitTheo) {
  const QString unitAttr = unit.isNull() ? QString() : QStringLiteral(" unit=\"%1\"").arg(unit);
  return QStringLiteral(
             "  <MESURE%1>\n    <D>\n      <NameMesure a=\"%2\"%3/>\n      <X a=\"-\"/>\n"
             "      <LimiteMax a=\"%5\"/>\n      <LimiteMin a=\"%4\"/>\n      <Warning a=\"%6\"/>\n"
             "      <TimeBitTheo a=\"%7\"/>\n    </D>\n    <SETUP><TimeBase a=\"15\"/><SensiCh1 "
             "a=\"5\"/></SETUP>\n"
             "  </MESURE%1>\n")
      .arg(k)
      .arg(name, unitAttr, min, max, warning)
      .arg(bitTheo);
}

class BusFileTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  BusyWatchingInteraction ui;
  AppState app;
  BusScreen screen;

  void SetUp() override {
    app.ui = &ui;
    app.programDir = QStringLiteral(KARVEL_APPDIR);
  }

  QString write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }
  QString writeBus(const QString& name, const QString& busExtra, const QString& measures,
                   int sensi = 5) {
    const QString text = QStringLiteral(
                             "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<R>\n  <V a=\"1\"/>\n"
                             "  <BUS>\n    <TITLE a=\"Test bus\"/>\n    <COMMENT a=\"note\"/>\n"
                             "    <NbMesureMax a=\"3\"/>\n    <Speed a=\"500000\"/>\n%1  </BUS>\n"
                             "  <SETUP><TimeBase a=\"15\"/><SensiCh1 a=\"%3\"/></SETUP>\n%2</R>\n")
                             .arg(busExtra, measures)
                             .arg(sensi);
    return write(name, text.toUtf8());
  }
  QString threeMeasures() {
    return measure(0, "Level", "V", "2.5", "12", "10", 2500) +
           measure(1, "Bit time", "s", "N/A", "0.0000021", "5", 2000) +
           measure(2, "Current", "A", "0.5", "abc", "N/A", 2000);
  }
  QByteArray read(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll();
  }
};

}  // namespace

TEST(BusFormat, MiseEnFormeGivesEveryFormOfItsTable) {
  const QString micro = QString::fromUtf8("\xC2\xB5s");
  struct Case {
    const char* text;
    const char* unit;
    QString shown;
  };
  const Case cases[] = {
      {"N/A", "V", "---"},
      {"", "s", "---"},
      {"2.5", "V", "2.50 V"},
      {"12", "V", "12.0 V"},
      {"-12.5", "V", "-12.5 V"},
      {"9.999", "V", "10.00 V"},
      {"10", "%", "10.0 %"},
      {"0", "s", "0.00 s"},
      {"5e-7", "s", "500 ns"},
      {"1.5e-6", "s", "1.50 " + micro},
      {"2.5e-5", "s", "25.0 " + micro},
      {"2.5e-4", "s", "250 " + micro},
      {"0.0015", "s", "1.50 ms"},
      {"0.025", "s", "25.0 ms"},
      {"0.25", "s", "250 ms"},
      {"2.5", "s", "2.50 s"},
      {"25", "s", "25.0 s"},
      {"250", "s", "250 s"},
      {"-0.001", "s", "-1000000 ns"},
      {"0", "Hz", "0.00 Hz"},
      {"0.5", "Hz", "500.00 mHz"},
      {"9600", "Hz", "9600.00 Hz"},
      {"500000", "Hz", "500.000 kHz"},
      {"1000000", "Hz", "1.00 MHz"},
      {"  3.3 volts", "V", "3.30 V"},
      {"1.5", "A", "1.5"},
      {"1.5", "", "1.5"},
      {"7", "mV", "7"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(MiseEnForme(c.text, c.unit), c.shown) << c.text << " " << c.unit;
}

TEST(BusFormat, NumbersAreReadFromTheStartAndWrittenPlain) {
  EXPECT_EQ(scanNumber("2,5"), 2.0);
  EXPECT_EQ(scanNumber(" -1.5e-3x"), -0.0015);
  EXPECT_EQ(scanNumber(".5"), 0.5);
  EXPECT_EQ(scanNumber("3e"), 3.0);
  EXPECT_FALSE(scanNumber("abc"));
  EXPECT_FALSE(scanNumber("inf"));
  EXPECT_FALSE(scanNumber("1e999"));
  EXPECT_FALSE(scanNumber("-"));
  EXPECT_EQ(scanInteger("2500.7"), 2500);
  EXPECT_FALSE(scanInteger("99999999999"));
  EXPECT_EQ(plainDecimal(150 * 1e-6), "0.00015");
  EXPECT_EQ(plainDecimal(40 * 1e-9), "0.00000004");
  EXPECT_EQ(plainDecimal(1.234e-9), "0.000000001234");
  EXPECT_EQ(plainDecimal(2), "2");
  EXPECT_EQ(plainDecimal(-0.0), "0");
}

TEST_F(BusFileTest, ASampleFillsRowsFieldsPictureAndBands) {
  const QString path = QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/CAN_HS.BUS");
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  EXPECT_TRUE(ui.messages.isEmpty());
  ASSERT_TRUE(app.xmlDocument);
  const BusView& v = screen.view;
  EXPECT_EQ(v.title, "CAN High Speed 500 kbit/s");
  EXPECT_TRUE(v.comment.contains(QString::fromUtf8("2 \xC2\xB5s")));  // Latin-1 file
  EXPECT_TRUE(v.picturePath.endsWith("can_hs.bmp"));
  EXPECT_TRUE(QFile::exists(v.picturePath));
  ASSERT_EQ(v.rows.size(), 10u);
  EXPECT_EQ(v.rows[0].label, "CAN-H recessive level");
  EXPECT_EQ(v.rows[0].cells, (std::array<QString, 3>{"2.00 V", "3.00 V", "10.0 %"}));
  EXPECT_EQ(v.rows[7].cells[0], "---");
  EXPECT_EQ(v.frequencyText, "500.000 kHz");
  EXPECT_EQ(v.bitTimeText, QString::fromUtf8("2.00 \xC2\xB5s"));
  EXPECT_EQ(v.maxVoltageText, "8.00 V");
  EXPECT_TRUE(v.speedEnabled && v.voltageEnabled && v.cellsMarked);
  for (std::size_t i = 0; i < v.rows.size(); ++i)
    EXPECT_EQ(v.rows[i].background, i % 2 == 1 ? kRowGrey : kRowWhite) << i;
  EXPECT_GT(ui.busyCalls, 0);
  EXPECT_EQ(ui.busyDepth, 0);
}

TEST_F(BusFileTest, UnitsLatchAndNotANumber) {
  const QString path = writeBus("t.BUS", "", threeMeasures());
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  const BusView& v = screen.view;
  ASSERT_EQ(v.rows.size(), 3u);
  EXPECT_EQ(v.rows[0].cells, (std::array<QString, 3>{"2.50 V", "12.0 V", "10.0 %"}));
  EXPECT_EQ(v.rows[1].cells[0], "---");
  EXPECT_EQ(v.rows[1].cells[1], QString::fromUtf8("2.10 \xC2\xB5s"));
  // An unknown unit shows the number as stored; no number is "---" whatever the unit.
  EXPECT_EQ(v.rows[2].cells, (std::array<QString, 3>{"0.5", "---", "---"}));
  EXPECT_EQ(v.rows[1].background, kRowGrey);
  EXPECT_EQ(v.maxVoltageText, "4.00 V");  // SensiCh1 5: four times the 1 V entry
  EXPECT_EQ(screen.state.bitTimeLatch, 1);
  EXPECT_DOUBLE_EQ(screen.state.maxVoltage, 4.0);
  // "N/A" survives a save untouched.
  QString written;
  ASSERT_EQ(SaveBusDocument(app, dir.filePath("copy.BUS"), &written, nullptr), 0);
  EXPECT_EQ(read(written), read(path));
}

TEST_F(BusFileTest, SubstringRulesAndAMissingAttribute) {
  // SUBTITLE counts as a title; a COMMENT without attribute is an XML failure
  // that ends the walk of its element (BUS) but not of the document.
  const QString path = write(
      "s.BUS", "<R><V/><BUS><SUBTITLE a=\"Sub\"/><COMMENT/><Speed a=\"9600\"/></BUS><SETUP/>" +
                   measure(0, "Level", "V", "1", "2", "3", 2000).toUtf8() + "</R>");
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  EXPECT_EQ(screen.view.title, "Sub");
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "XML Error");
  EXPECT_TRUE(ui.messages[0].text.contains("COMMENT"));
  EXPECT_EQ(ui.busyAtMessage[0], 0);
  EXPECT_EQ(screen.view.rows.size(), 1u);
  EXPECT_EQ(screen.state.busSpeed, 0);  // "Speed" came after the failure
}

TEST_F(BusFileTest, AMalformedFileGivesTheXmlErrorBoxAndAnEmptyWindow) {
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, writeBus("ok.BUS", "", threeMeasures())), 0);
  const QString bad = write("bad.BUS", "<R><BUS><TITLE a=\"x\"/></R>");
  EXPECT_GE(ConvertAndRenderXMLFileInTree(app, screen, bad), 0);
  ASSERT_EQ(ui.messages.size(), 1);
  EXPECT_EQ(ui.messages[0].title, "XML Error");
  EXPECT_TRUE(ui.messages[0].text.contains("line 1"));
  EXPECT_EQ(ui.busyAtMessage[0], 0);
  EXPECT_FALSE(app.xmlDocument);
  EXPECT_TRUE(screen.view.rows.empty());
  EXPECT_TRUE(screen.view.title.isEmpty());
  EXPECT_TRUE(screen.view.frequencyText.isEmpty());
  EXPECT_FALSE(screen.view.speedEnabled || screen.view.voltageEnabled);
  EXPECT_EQ(screen.view.maxVoltageText, "4.00 V");  // the Close leaves it
  EXPECT_GE(ConvertAndRenderXMLFileInTree(app, screen, dir.filePath("none.BUS")), 0);
  EXPECT_EQ(ui.messages.size(), 2);
}

TEST_F(BusFileTest, TheXmlErrorBoxSpeaksTheChosenLanguage) {
  const QString bad = write("bad.BUS", "<R>\n<BUS><TITLE a=\"x\"/></R>");
  const QString noAttribute = write("attr.BUS", "<R><BUS><COMMENT/></BUS></R>");
  const QString missing = dir.filePath("none.BUS");
  struct Case {
    int language;
    const char* malformed;  // status, then the reader's own finding and position
    const char* position;
    const char* attribute;
    const char* cannotOpen;
  };
  const Case cases[] = {
      {0, "Le fichier n'est pas un document XML bien formé: la balise fermante", "ligne 2, colonne",
       "premier attribut de l'élément \"COMMENT\"", "Impossible d'ouvrir le fichier"},
      {1, "The file is not well-formed XML: end tag does not match", "line 2, column",
       "first attribute of element \"COMMENT\"", "Cannot open the file"},
      {2, "Die Datei ist kein wohlgeformtes XML: End-Tag passt nicht", "Zeile 2, Spalte",
       "erstes Attribut des Elements \"COMMENT\"", "Die Datei kann nicht geöffnet werden"},
      {3, "El fichero no es un XML bien formado: la etiqueta de cierre", "línea 2, columna",
       "primer atributo del elemento \"COMMENT\"", "No se puede abrir el fichero"},
      {4, "Il file non è un XML ben formato: il tag di chiusura", "riga 2, colonna",
       "primo attributo dell'elemento \"COMMENT\"", "Impossibile aprire il file"},
  };
  for (const Case& c : cases) {
    app.language = c.language;
    ui.messages.clear();
    ConvertAndRenderXMLFileInTree(app, screen, bad);
    ConvertAndRenderXMLFileInTree(app, screen, noAttribute);
    ConvertAndRenderXMLFileInTree(app, screen, missing);
    ASSERT_EQ(ui.messages.size(), 3);
    const QString box = ui.messages[0].text;
    EXPECT_TRUE(box.startsWith(QString::fromUtf8(c.malformed))) << box.toStdString();
    EXPECT_TRUE(box.contains(QString::fromUtf8(c.position))) << box.toStdString();
    EXPECT_TRUE(ui.messages[1].text.contains(QString::fromUtf8(c.attribute)))
        << ui.messages[1].text.toStdString();
    EXPECT_TRUE(ui.messages[2].text.startsWith(QString::fromUtf8(c.cannotOpen)));
    EXPECT_TRUE(ui.messages[2].text.contains(QDir::toNativeSeparators(missing)) ||
                ui.messages[2].text.contains(missing));
    EXPECT_EQ(ui.messages[0].title, "XML Error");  // the box's own title stays
  }
}

TEST_F(BusFileTest, LoadStateSurvivesCloseAndTheNextLoad) {
  const QString locked = writeBus("locked.BUS", "    <LockedSpeed a=\"1\"/>\n", threeMeasures());
  const QString plain = writeBus("plain.BUS", "", threeMeasures(), 7);
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, locked), 0);
  EXPECT_FALSE(screen.view.speedEnabled);
  CloseBusFile(app, screen);
  EXPECT_FALSE(app.xmlDocument);
  EXPECT_EQ(screen.state.rowCount, 0);
  EXPECT_EQ(screen.state.speedLock, 1);
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, plain), 0);
  EXPECT_FALSE(screen.view.speedEnabled);  // no "LockedSpeed": the lock stays
  EXPECT_TRUE(screen.view.voltageEnabled);
  // The fields are refreshed up to the first measurement that fixes the bit
  // time (MESURE1), so MESURE0's own "SensiCh1" 5 wins over the global 7.
  EXPECT_EQ(screen.view.maxVoltageText, "4.00 V");
}

TEST_F(BusFileTest, BusFieldsComeFromTheFirstFixingMeasurement) {
  // Without any TimeBitTheo the fields stay empty and the generators dimmed.
  const QString none = write(
      "none.BUS", "<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"c\"/><Speed a=\"100\"/></BUS></R>");
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, none), 0);
  EXPECT_TRUE(screen.view.frequencyText.isEmpty());
  EXPECT_FALSE(screen.view.speedEnabled || screen.view.voltageEnabled);
  // A speed of 0 has no bit time; a sensitivity past 12 no maximum voltage.
  const QString zero =
      write("zero.BUS", ("<R><V/><BUS><TITLE a=\"t\"/><COMMENT a=\"c\"/><Speed a=\"0\"/></BUS>"
                         "<SETUP><SensiCh1 a=\"13\"/></SETUP>" +
                         measure(0, "L", "V", "1", "2", "3", 2000) + "</R>")
                            .toUtf8());
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, zero), 0);
  EXPECT_EQ(screen.view.frequencyText, "0.00 Hz");
  EXPECT_EQ(screen.view.bitTimeText, "---");
  EXPECT_EQ(screen.view.maxVoltageText, "---");
  EXPECT_EQ(screen.state.maxVoltage, 0);
}

TEST_F(BusFileTest, CellEditsScaleStoreAndShow) {
  const QString path = writeBus("e.BUS", "", threeMeasures());
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  const QString micro = QString::fromUtf8("\xC2\xB5");
  struct Case {
    int row, column;
    QString typed, stored, shown;
  };
  const Case cases[] = {
      {2, 2, "150 " + micro + "s", "0.00015", "150 " + micro + "s"},
      {2, 2, QString::fromUtf8("150 \xCE\xBCs"), "0.00015", "150 " + micro + "s"},
      {2, 2, "2 ms", "0.002", "2.00 ms"},
      {2, 2, "40 ns", "0.00000004", "40 ns"},
      {2, 2, "1e-3", "0.001", "1.00 ms"},
      {1, 1, "50 mV", "0.05", "0.05 V"},
      {1, 1, "50 MV", "0.05", "0.05 V"},
      {1, 1, "2,5", "2.5", "2.50 V"},  // a decimal comma is a decimal point
      {2, 2, "1,5 ms", "0.0015", "1.50 ms"},
      {1, 2, "abc", "N/A", "---"},
      {1, 2, "", "N/A", "---"},
      {1, 3, "10", "10", "10.0 %"},
      {1, 3, "10 %", "10", "10.0 %"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(modifValXML(app, screen, c.row, c.column, c.typed), c.shown) << c.typed.toStdString();
    const int position = c.column == 1 ? 3 : c.column == 2 ? 2 : 4;
    const auto target = XmlDocument::childAt(
        XmlDocument::childAt(XmlDocument::childAt(app.xmlDocument->root(), c.row + 2), 0),
        position);
    EXPECT_EQ(app.xmlDocument->value(XmlDocument::attribute(target, "a")), c.stored);
    EXPECT_EQ(screen.view.rows[c.row - 1].cells[c.column - 1], c.shown);
  }
}

TEST_F(BusFileTest, AnEditedAndSavedFileDiffersOnlyInThatValue) {
  const QString path = writeBus("e.BUS", "", threeMeasures());
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  modifValXML(app, screen, 1, 2, "13.5");
  QString written;
  ASSERT_EQ(SaveBusDocument(app, dir.filePath("out.BUS"), &written, nullptr), 0);
  QByteArray expected = read(path);
  expected.replace("<LimiteMax a=\"12\"/>", "<LimiteMax a=\"13.5\"/>");
  EXPECT_EQ(read(written), expected);
  // Without a document nothing is stored and nothing breaks.
  CloseBusFile(app, screen);
  EXPECT_EQ(modifValXML(app, screen, 1, 1, "3"), "3");
}

TEST_F(BusFileTest, TitleAndCommentAreWrittenTogether) {
  const QString path = writeBus("t.BUS", "", threeMeasures());
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(app, screen, path), 0);
  EXPECT_TRUE(ModifTitle(app, screen, "Renamed", "note"));
  const auto bus = XmlDocument::childAt(app.xmlDocument->root(), 1);
  EXPECT_EQ(app.xmlDocument->value(XmlDocument::attribute(XmlDocument::childAt(bus, 0), "a")),
            "Renamed");
  EXPECT_EQ(app.xmlDocument->value(XmlDocument::attribute(XmlDocument::childAt(bus, 1), "a")),
            "note");
  // A Latin-1 file cannot store an omega: refused with a message, kept as it was.
  ASSERT_EQ(
      ConvertAndRenderXMLFileInTree(
          app, screen, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/RS485.BUS")),
      0);
  QString error;
  EXPECT_FALSE(ModifTitle(app, screen, QString::fromUtf8("120 \xCE\xA9"), "c", &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST_F(BusFileTest, SaveNamesTheFileAfterTheInstrumentFamily) {
  EXPECT_EQ(busSavePath("/d/bus1.BUS", true), "/d/bus1.bus");
  EXPECT_EQ(busSavePath("/d/bus1.bus", false), "/d/bus1.BUS");
  EXPECT_EQ(busSavePath("C:\\d\\Test.Bus.old", false), "C:\\d\\Test.BUS");
  EXPECT_EQ(busSavePath("/d/x.bus/name", false), "/d/x.bus/name.BUS");
  EXPECT_TRUE(isBusPath("C:\\x.bus\\r1.htm"));
  EXPECT_TRUE(isHtmPath("C:\\data\\RESULT.htm"));
  EXPECT_FALSE(isBusPath("notes.txt") || isHtmPath("notes.txt"));

  ASSERT_EQ(ConvertAndRenderXMLFileInTree(
                app, screen, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ6102/LIN.bus")),
            0);
  QString written;
  ASSERT_EQ(SaveBusDocument(app, dir.filePath("Test.BUS"), &written, nullptr), 0);
  EXPECT_EQ(written, dir.filePath("Test.bus"));
  EXPECT_TRUE(QFile::exists(written));
  ASSERT_EQ(ConvertAndRenderXMLFileInTree(
                app, screen, QStringLiteral(KARVEL_SOURCE_DIR "/resources/samples/RQ4102/LIN.BUS")),
            0);
  write("test.BUS", "old");
  ASSERT_EQ(SaveBusDocument(app, dir.filePath("test.bus"), &written, nullptr), 0);
  EXPECT_EQ(written, dir.filePath("test.BUS"));
  EXPECT_TRUE(read(written).startsWith("<?xml"));
  QString error;
  EXPECT_LT(SaveBusDocument(app, dir.filePath("no/such/dir/a.BUS"), &written, &error), 0);
  EXPECT_TRUE(error.startsWith("The file could not be written"));
}
