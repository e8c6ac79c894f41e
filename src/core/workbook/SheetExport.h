// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a results table into a workbook made from the template "karvel.xl":
// the sheet layout, the texts of the spreadsheet dialog, and a one-call export
// for the command line and the benchmark.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "core/frame/Texts.h"
#include "core/results/Compare.h"
#include "core/results/ResultTable.h"
#include "core/workbook/SheetApp.h"

namespace karvel {

// Texts of the spreadsheet dialog, in language-index order.
namespace excel {
inline constexpr Text5 kBrowse = {"Parcourir", "Browse", "Durchsuchen", "Examinar", "Sfoglia"};
inline constexpr Text5 kWorkingDirectory = {"Répertoire de travail", "Working Directory",
                                            "Arbeitsverzeichnis", "Directorio de trabajo",
                                            "Cartella di lavoro"};
inline constexpr Text5 kRun = {"__Lancer", "__Run", "__Starten", "__Ejecutar", "__Avvia"};
inline constexpr Text5 kExport = {"Exporter", "Export", "Exportieren", "Exportar", "Esporta"};
inline constexpr Text5 kQuit = {"Quitter", "Quit", "Beenden", "Salir", "Esci"};
inline constexpr Text5 kSheetField = {"Feuille (*.XLSX)", "Sheet (*.XLSX)", "Blatt (*.XLSX)",
                                      "Hoja (*.XLSX)", "Foglio (*.XLSX)"};
inline constexpr Text5 kMessage = {"Message", "Message", "Meldung", "Mensaje", "Messaggio"};

inline constexpr Text5 kReady = {"EXCEL Prêt !\n", "EXCEL Ready !\n", "EXCEL bereit !\n",
                                 "EXCEL listo !\n", "EXCEL pronto !\n"};
inline constexpr Text5 kFormatting = {"Mise en forme de la feuille de calcul...\n",
                                      "Format the sheet...\n", "Rechnenblatt formatieren\n",
                                      "Formateando la hoja...\n", "Formattazione del foglio...\n"};
inline constexpr Text5 kSheetReady = {"Feuille prête.\n", "Sheet ready.\n", "Blatt fertig.\n",
                                      "Hoja lista.\n", "Foglio pronto.\n"};
// After the save: where the workbook is.
inline constexpr Text5 kWorkbookSaved = {"Classeur enregistré : %1\n", "Workbook saved: %1\n",
                                         "Arbeitsmappe gespeichert: %1\n", "Libro guardado: %1\n",
                                         "Cartella salvata: %1\n"};
inline constexpr Text5 kQuestionTitle = {"Feuille EXCEL", "EXCEL Sheet", "EXCEL Blatt",
                                         "Hoja EXCEL", "Foglio EXCEL"};
inline constexpr Text5 kQuestion = {"Feuille déja existante !    Ecraser les données ?\n",
                                    "Sheet already exist !    Overwrite Data ?\n",
                                    "Blatt existiert!    Löschen ?\n",
                                    "Hoja ya existente !    Sobrescribir los datos ?\n",
                                    "Foglio già esistente !    Sovrascrivere i dati ?\n"};
inline constexpr Text5 kYes = {"Oui", "Yes", "Ja", "Si", "Si"};
inline constexpr Text5 kNo = {"Non", "No", "Nein", "No", "No"};
inline constexpr Text5 kFolderTitle = kWorkingDirectory;

// Sheet texts: the heading of the measurements column, and the fixed ones.
inline constexpr Text5 kMeasurements = {"Mesures", "Measurements", "Messungen", "Medidas",
                                        "Misure"};
inline constexpr const char* kBusQuality = "Bus quality";
inline constexpr const char* kMin = "Min";
inline constexpr const char* kMax = "Max";
inline constexpr const char* kPercent = "%";

// The columns beside the fixed layout: numbers, unit, distance and status
// per measurement, under a heading row in the user's language.
inline constexpr Text5 kValueHeading = {"Valeur", "Value", "Wert", "Valor", "Valore"};
inline constexpr Text5 kMinHeading = {"Minimum", "Minimum", "Minimum", "Mínimo", "Minimo"};
inline constexpr Text5 kMaxHeading = {"Maximum", "Maximum", "Maximum", "Máximo", "Massimo"};
inline constexpr Text5 kUnitHeading = {"Unité", "Unit", "Einheit", "Unidad", "Unità"};
inline constexpr Text5 kDistanceHeading = {"Distance", "Distance", "Abstand", "Distancia",
                                           "Distanza"};
inline constexpr Text5 kStatusHeading = {"Statut", "Status", "Status", "Estado", "Stato"};
// The first sheet of a workbook of several results.
inline constexpr Text5 kSummarySheet = {"Résumé", "Summary", "Übersicht", "Resumen", "Riepilogo"};
inline constexpr Text5 kSummaryTitle = {
    "Résumé des résultats de diagnostic", "Summary of the diagnostic results",
    "Übersicht der Diagnoseergebnisse", "Resumen de los resultados de diagnóstico",
    "Riepilogo dei risultati diagnostici"};
inline constexpr Text5 kFileHeading = {"Fichier", "File", "Datei", "Fichero", "File"};
inline constexpr Text5 kSheetHeading = {"Feuille", "Sheet", "Blatt", "Hoja", "Foglio"};
inline constexpr Text5 kBusHeading = {"Bus", "Bus", "Bus", "Bus", "Bus"};
inline constexpr Text5 kVerdictHeading = {"Verdict", "Verdict", "Ergebnis", "Veredicto", "Esito"};
inline constexpr Text5 kPassHeading = {"Conformes", "Pass", "Bestanden", "Correctos", "Superati"};
inline constexpr Text5 kWarningHeading = {"Avertissements", "Warning", "Warnung", "Advertencias",
                                          "Avvisi"};
inline constexpr Text5 kFailHeading = {"Échecs", "Fail", "Fehler", "Fallos", "Falliti"};

// The first of those columns (E); the status cells take the results
// window's colours (statusRgb).
constexpr int kExtraColumn = 5;
// Numbers show their power of ten in steps of three, as prefixes do.
inline constexpr const char* kEngineeringFormat = "##0.00E+00";

// The comparison sheet draws a chart for this many measurements at most.
constexpr int kMaxCharts = 200;

// The template beside the program.
inline constexpr const char* kTemplateName = "karvel.xl";
// The sheet name field holds at most this many characters.
constexpr int kSheetNameMax = 99;
}  // namespace excel

// The template's path in the program folder.
QString templatePath(const QString& programDir);

// Name proposed for the workbook of a result read from `sourcePath`: the file
// name (after the last "\" or "/") up to its first ".", then ".xlsx".
QString proposedSheetName(const QString& sourcePath);

// The range an export takes for a table of `rows` rows: "A1:D<rows + 10>".
QString exportRangeReference(int rows);

// Writes the sheet layout through `range` (a range whose top-left corner is
// A1): label, bus heading, "Bus quality", verdict, the column headings in
// `language`, then one row per measurement from row 5. Returns the first
// failing status, or kSheetOk.
int writeResultSheet(SheetRange& range, const ResultTable& table, int language);

// One result into `sheet`, a copy of the template's first sheet: the range
// of exportRangeReference (handed back in `range` when asked), the layout of
// writeResultSheet, and the widths of the number columns where the template
// gives none (a number in a column too narrow for it shows as "###"). The
// dialog, the command line and each result sheet of a workbook of several
// export through here. Returns the first failing status, or kSheetOk.
int exportResultSheet(SheetWorksheet& sheet, const ResultTable& table, int language,
                      SheetRangeHandle* range = nullptr);

// One export without the dialog: a fresh copy of the template, the sheet
// written, saved as `target` (replacing it). False with `error` set when the
// template cannot be read or the target cannot be written; a failed save
// leaves no file behind.
bool exportResultTable(const QString& templateFile, const ResultTable& table, int language,
                       const QString& target, QString* error);

// Several results in one workbook: a summary sheet first (each result with
// its sheet, bus, verdict and how many rows pass, warn and fail), then one
// sheet per result laid out as a single export, named after its file. One
// table gives the single-sheet workbook of exportResultTable.
bool exportResultTables(const QString& templateFile, const std::vector<ResultTable>& tables,
                        int language, const QString& target, QString* error);

// Hands out the results of a workbook one at a time, in order: the table of
// result `index`, valid until the next call, or null with `error` set.
using ResultSource = std::function<const ResultTable*(std::size_t index, QString* error)>;

// The workbook of exportResultTables with each table taken from `source`
// when its sheet is written and let go before the next: a workbook of many
// large results takes the memory of one. `sourcePaths` (one per result)
// name the sheets. A result the source cannot give fails the export with
// the source's reason, and no workbook is written.
bool exportResultSources(const QString& templateFile, const QStringList& sourcePaths,
                         const ResultSource& source, int language, const QString& target,
                         QString* error);

// A comparison of results of one bus: the workbook of the results (summary
// and a sheet each) with one more sheet, shown first, holding the comparison
// table: per measurement its unit, the value and the margin of every run, the
// trend and whether the margin shrank, with a chart per measurement (for
// the first kMaxCharts of them). A run whose rows the comparison let go
// (CompareRun::rowsReleased) has its sheet written from its file, read again.
bool exportComparison(const QString& templateFile, const Comparison& comparison, int language,
                      const QString& target, QString* error);

// The same for a comparison that may be lent: while the workbook is written
// its measurements are held packed (a fraction of their memory), and they
// are given back as they were before it returns, whatever the outcome.
bool exportComparisonReleasing(const QString& templateFile, Comparison& comparison, int language,
                               const QString& target, QString* error);

// A sheet name for the result read from `sourcePath`: the file name without
// its extension, characters sheet names cannot hold replaced, at most 31
// characters, and different (ignoring case) from every name in `taken`.
QString resultSheetName(const QString& sourcePath, const QStringList& taken);

// Whether the desktop has an application that opens workbooks.
bool spreadsheetApplicationInstalled();

}  // namespace karvel
