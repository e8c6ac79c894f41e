// SPDX-License-Identifier: GPL-3.0-or-later
// The five-language texts of the results windows: their menu and column
// headings (TraducMenu2), the save command's dialog and question, and the
// messages of this program's own for unreadable or unsaved results.
#pragma once

#include <QString>
#include <QStringList>

#include "core/frame/Texts.h"
#include "core/results/ResultTable.h"

namespace karvel {

namespace resulttext {

// The word in front of a results window's title.
inline constexpr Text5 kFileWord = {"Fichier", "File", "Datei", "Fichero", "File"};

// Menu of a results window.
inline constexpr Text5 kMenuFile = {"__Fichier", "__File", "__Datei", "__Fichero", "__File"};
inline constexpr Text5 kMenuSave = {"__Enregistrer ...", "S__ave ...", "__Speichern ...",
                                    "__Guardar ...", "__Salva ..."};
inline constexpr Text5 kMenuPrint = {"__Imprimer ...", "Prin__t ...", "__Drucken ...",
                                     "__Imprimir ...", "S__tampa ..."};
// English marks the E of Export: the X of EXCEL would be that of Exit.
inline constexpr Text5 kMenuExport = {"Exporter vers E__XCEL ...", "__Export to EXCEL ...",
                                      "Export nach E__XCEL ...", "Exportar a E__XCEL ...",
                                      "Esporta in E__XCEL ..."};
inline constexpr Text5 kMenuExit = {"__Quitter", "E__xit", "__Beenden", "Sali__r", "__Esci"};

// Column headings 3 to 6 of the results table (column 2 has an empty heading).
inline constexpr Text5 kColumnMin = {"Tolérance min", "Min tolerance", "Min. Toleranz",
                                     "Tolerancia mín", "Tolleranza min"};
inline constexpr Text5 kColumnMax = {"Tolérance max", "Max tolerance", "Max. Toleranz",
                                     "Tolerancia máx", "Tolleranza max"};
inline constexpr Text5 kColumnMeasure = {"Mesures", "Measurements", "Messungen", "Medidas",
                                         "Misure"};
inline constexpr Text5 kColumnDistance = {"Distance", "Distance", "Abstand", "Distancia",
                                          "Distanza"};

// Tooltip of the help button.
inline constexpr Text5 kHelpButton = {"Aide sur ce bus", "Help on this bus", "Hilfe zu diesem Bus",
                                      "Ayuda sobre este bus", "Aiuto su questo bus"};

// Save command.
inline constexpr Text5 kSaveDialogTitle = {
    "Entrer un nom pour sauvegarder dans un fichier", "Enter a filename to save in a file",
    "Eingabe Dateinamen zum Speichern", "Introducir un nombre para guardar en un fichero",
    "Inserire un nome per salvare in un file"};
inline constexpr Text5 kSaveQuestionTitle = {"Enregistrer", "Save", "Speichern", "Guardar",
                                             "Salva"};
inline constexpr Text5 kSaveQuestion = {
    "Le fichier existe déjà !   Remplacer le fichier existant ?\n",
    "File already exists !   Replace existing file ?\n", "Datei existiert! Löschen ?\n",
    "Fichero existente! Susituir ?\n", "Il file esiste già !   Sostituire il file esistente ?\n"};
inline constexpr Text5 kYes = {"Oui", "Yes", "Ja", "Si", "Si"};
inline constexpr Text5 kNo = {"Non", "No", "Nein", "No", "No"};

// Messages of this program's own (title: the "Error" word).
inline constexpr Text5 kErrorWord = {"Erreur", "Error", "Fehler", "Error", "Errore"};
// %1 the file, %2 the system's reason.
inline constexpr Text5 kCannotRead = {"Impossible de lire le fichier de résultat\n%1\n%2",
                                      "Cannot read the result file\n%1\n%2",
                                      "Die Ergebnisdatei kann nicht gelesen werden\n%1\n%2",
                                      "No se puede leer el fichero de resultado\n%1\n%2",
                                      "Impossibile leggere il file di risultato\n%1\n%2"};
inline constexpr Text5 kTooLarge = {"Fichier trop grand pour un résultat (plus de 16 Mo)",
                                    "File too large for a result (more than 16 MB)",
                                    "Datei zu groß für ein Ergebnis (mehr als 16 MB)",
                                    "Fichero demasiado grande para un resultado (más de 16 MB)",
                                    "File troppo grande per un risultato (più di 16 MB)"};
// %1 the file, %2 the system's reason.
inline constexpr Text5 kCannotSave = {"Le résultat n'a pas pu être enregistré dans\n%1\n%2",
                                      "The result could not be saved to\n%1\n%2",
                                      "Das Ergebnis konnte nicht gespeichert werden in\n%1\n%2",
                                      "No se ha podido guardar el resultado en\n%1\n%2",
                                      "Impossibile salvare il risultato in\n%1\n%2"};
// %1 the system's reason.
inline constexpr Text5 kCannotPrint = {
    "Impossible d'imprimer la fenêtre\n%1", "The window could not be printed\n%1",
    "Das Fenster konnte nicht gedruckt werden\n%1", "No se ha podido imprimir la ventana\n%1",
    "Impossibile stampare la finestra\n%1"};
// Shown in a window whose file lacked a marker; %1 the marker.
inline constexpr Text5 kIncomplete = {
    "Fichier de résultat incomplet : « %1 » manque ou est mal placé ; seul le début est affiché.",
    "Incomplete result file: \"%1\" is missing or out of place; only what comes before is shown.",
    "Unvollständige Ergebnisdatei: „%1“ fehlt oder steht falsch; nur der Anfang wird angezeigt.",
    "Fichero de resultado incompleto: falta «%1» o está mal situado; solo se muestra el principio.",
    "File di risultato incompleto: «%1» manca o è fuori posto; viene mostrato solo l'inizio."};

// ---- The tolerance bar column --------------------------------------------
// Heading of the seventh column, beside the file's own five: the bar of each
// measurement between its tolerances.
inline constexpr Text5 kColumnMargin = {"Marge", "Margin", "Reserve", "Margen", "Margine"};

// ---- The result's date and where it came from -----------------------------
// %1 the date the result writes of itself.
inline constexpr Text5 kDateLine = {"Date : %1", "Date: %1", "Datum: %1", "Fecha: %1", "Data: %1"};
// A result that writes no date: %1 the file's modification time.
inline constexpr Text5 kDateFileTime = {
    "Le résultat n'écrit pas sa date ; fichier modifié le %1",
    "The result writes no date; file modified %1",
    "Das Ergebnis schreibt kein Datum; Datei geändert am %1",
    "El resultado no escribe su fecha; fichero modificado el %1",
    "Il risultato non scrive la data; file modificato il %1"};
// A fetched result that writes no date (its file's time is the fetch's).
inline constexpr Text5 kNoDate = {"Le résultat n'écrit pas sa date", "The result writes no date",
                                  "Das Ergebnis schreibt kein Datum",
                                  "El resultado no escribe su fecha",
                                  "Il risultato non scrive la data"};
// Beside a fetched result's instrument file name.
inline constexpr Text5 kFromInstrument = {"%1 (lu dans l'instrument)", "%1 (from the instrument)",
                                          "%1 (aus dem Gerät)", "%1 (leído del instrumento)",
                                          "%1 (letto dallo strumento)"};

// ---- What a screen reader says of a results window ------------------------
// A row's status in words (the icon and the colours say it to the eye).
inline constexpr Text5 kStatusPass = {"Conforme", "Pass", "Bestanden", "Correcto", "Superato"};
inline constexpr Text5 kStatusWarning = {"Avertissement", "Warning", "Warnung", "Advertencia",
                                         "Avviso"};
inline constexpr Text5 kStatusFail = {"Échec", "Fail", "Fehler", "Fallo", "Fallito"};
inline constexpr Text5 kStatusNone = {"Sans statut", "No status", "Kein Status", "Sin estado",
                                      "Nessuno stato"};
// The names of the two columns whose headings show nothing.
inline constexpr Text5 kColumnStatus = {"Statut", "Status", "Status", "Estado", "Stato"};
inline constexpr Text5 kColumnName = {"Nom de la mesure", "Measurement name", "Name der Messung",
                                      "Nombre de la medida", "Nome della misura"};
// A cell the file left empty.
inline constexpr Text5 kEmptyCell = {"Vide", "Empty", "Leer", "Vacío", "Vuoto"};
// The tolerance bar in words: %1 the value, %2 the minimum, %3 the maximum,
// %4 the distance to the nearer limit as a share of the band.
inline constexpr Text5 kBarInside = {
    "%1, bande de %2 à %3, %4 % à l'intérieur", "%1, band %2 to %3, %4 % inside",
    "%1, Band %2 bis %3, %4 % innerhalb", "%1, banda de %2 a %3, %4 % dentro",
    "%1, banda da %2 a %3, %4 % all'interno"};
inline constexpr Text5 kBarAbove = {
    "%1, bande de %2 à %3, %4 % au-dessus du maximum", "%1, band %2 to %3, %4 % above the maximum",
    "%1, Band %2 bis %3, %4 % über dem Maximum", "%1, banda de %2 a %3, %4 % por encima del máximo",
    "%1, banda da %2 a %3, %4 % sopra il massimo"};
inline constexpr Text5 kBarBelow = {"%1, bande de %2 à %3, %4 % au-dessous du minimum",
                                    "%1, band %2 to %3, %4 % below the minimum",
                                    "%1, Band %2 bis %3, %4 % unter dem Minimum",
                                    "%1, banda de %2 a %3, %4 % por debajo del mínimo",
                                    "%1, banda da %2 a %3, %4 % sotto il minimo"};
inline constexpr Text5 kBarNone = {"Pas de barre : une limite ou la valeur n'est pas un nombre",
                                   "No bar: a limit or the value is not a number",
                                   "Kein Balken: eine Grenze oder der Wert ist keine Zahl",
                                   "Sin barra: un límite o el valor no es un número",
                                   "Nessuna barra: un limite o il valore non è un numero"};
inline constexpr Text5 kBarDescription = {
    "Place de la valeur dans sa bande de tolérance : distance à la limite la plus proche, en part "
    "de la bande",
    "Where the value lies in its tolerance band: the distance to the nearer limit, as a share of "
    "the band",
    "Lage des Werts in seinem Toleranzband: Abstand zur näheren Grenze, als Anteil des Bands",
    "Posición del valor en su banda de tolerancia: distancia al límite más cercano, como parte "
    "de la banda",
    "Posizione del valore nella sua banda di tolleranza: distanza dal limite più vicino, come "
    "quota della banda"};
inline constexpr Text5 kTableName = {"Tableau des résultats", "Results table", "Ergebnistabelle",
                                     "Tabla de resultados", "Tabella dei risultati"};
inline constexpr Text5 kFileFieldName = {"Fichier du résultat", "Result file", "Ergebnisdatei",
                                         "Fichero del resultado", "File del risultato"};
// What the help button and F1 do.
inline constexpr Text5 kHelpDescription = {
    "Ouvre le document d'aide de ce bus (F1)", "Opens the help document of this bus (F1)",
    "Öffnet das Hilfedokument dieses Busses (F1)", "Abre el documento de ayuda de este bus (F1)",
    "Apre il documento di aiuto di questo bus (F1)"};

}  // namespace resulttext

// The texts TraducMenu2 puts on a results window, in one language.
struct ResultWindowTexts {
  QString fileMenu, save, print, exportExcel, exit;  // "__" marks the mnemonic
  QStringList columnHeadings;                        // columns 1 to 6
  QString helpTooltip;
};

ResultWindowTexts TraducMenu2(int language);

// A row's status in words, in `language`.
QString statusText(Status status, int language);

}  // namespace karvel
