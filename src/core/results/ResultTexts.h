// The five-language texts of the results windows: their menu and column
// headings (TraducMenu2), the save command's dialog and question, and the
// messages of this program's own for unreadable or unsaved results.
#pragma once

#include <QString>
#include <QStringList>

#include "core/frame/Texts.h"

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

}  // namespace resulttext

// The texts TraducMenu2 puts on a results window, in one language.
struct ResultWindowTexts {
  QString fileMenu, save, print, exportExcel, exit;  // "__" marks the mnemonic
  QStringList columnHeadings;                        // columns 1 to 6
  QString helpTooltip;
};

ResultWindowTexts TraducMenu2(int language);

}  // namespace karvel
