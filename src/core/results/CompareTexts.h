// Texts of the comparison of results, in the order of the language index
// (French, English, German, Spanish, Italian).
#pragma once

#include "core/frame/Texts.h"

namespace karvel::comparetext {

inline constexpr Text5 kDifferentBuses = {
    "Ces résultats ne sont pas du même bus :\n%1 (%2)\n%3 (%4)",
    "These results are not of the same bus:\n%1 (%2)\n%3 (%4)",
    "Diese Ergebnisse gehören nicht zum selben Bus:\n%1 (%2)\n%3 (%4)",
    "Estos resultados no son del mismo bus:\n%1 (%2)\n%3 (%4)",
    "Questi risultati non sono dello stesso bus:\n%1 (%2)\n%3 (%4)"};
inline constexpr Text5 kNoResults = {
    "Aucun résultat à comparer.", "No results to compare.", "Keine Ergebnisse zum Vergleichen.",
    "Ningún resultado que comparar.", "Nessun risultato da confrontare."};
inline constexpr Text5 kNotAResult = {"%1 n'est pas un fichier de résultat.",
                                      "%1 is not a result file.", "%1 ist keine Ergebnisdatei.",
                                      "%1 no es un fichero de resultado.",
                                      "%1 non è un file di risultato."};

// The comparison window and its sheet.
inline constexpr Text5 kWindowTitle = {"Comparaison des résultats", "Comparison of results",
                                       "Vergleich der Ergebnisse", "Comparación de resultados",
                                       "Confronto dei risultati"};
inline constexpr Text5 kMeasurement = {"Mesure", "Measurement", "Messung", "Medida", "Misura"};
inline constexpr Text5 kUnit = {"Unité", "Unit", "Einheit", "Unidad", "Unità"};
inline constexpr Text5 kTrend = {"Tendance", "Trend", "Tendenz", "Tendencia", "Tendenza"};
inline constexpr Text5 kMarginShrank = {"Marge réduite", "Margin shrank", "Reserve geschrumpft",
                                        "Margen reducido", "Margine ridotto"};
inline constexpr Text5 kMargin = {"Marge %1", "Margin %1", "Reserve %1", "Margen %1", "Margine %1"};
inline constexpr Text5 kRising = {"en hausse", "rising", "steigend", "al alza", "in aumento"};
inline constexpr Text5 kFalling = {"en baisse", "falling", "fallend", "a la baja", "in calo"};
inline constexpr Text5 kSteady = {"stable", "steady", "stabil", "estable", "stabile"};
inline constexpr Text5 kUnknown = {"—", "—", "—", "—", "—"};
inline constexpr Text5 kYes = {"oui", "yes", "ja", "sí", "sì"};
inline constexpr Text5 kSheetName = {"Comparaison", "Comparison", "Vergleich", "Comparación",
                                     "Confronto"};
inline constexpr Text5 kMenuItem = {"Co__mparer des résultats ...", "Co__mpare results ...",
                                    "Ergebnisse __vergleichen ...", "Co__mparar resultados ...",
                                    "Co__nfronta risultati ..."};
inline constexpr Text5 kChooseFiles = {"Résultats à comparer", "Results to compare",
                                       "Zu vergleichende Ergebnisse", "Resultados a comparar",
                                       "Risultati da confrontare"};
inline constexpr Text5 kExport = {"E__xporter vers un classeur ...", "E__xport to a workbook ...",
                                  "In Arbeitsmappe e__xportieren ...", "E__xportar a un libro ...",
                                  "E__sporta in una cartella ..."};
inline constexpr Text5 kPrint = {"Im__primer ...", "__Print ...", "__Drucken ...", "Im__primir ...",
                                 "S__tampa ..."};
inline constexpr Text5 kClose = {"__Fermer", "__Close", "__Schließen", "__Cerrar", "__Chiudi"};
inline constexpr Text5 kFileMenu = {"__Fichier", "__File", "__Datei", "__Fichero", "__File"};
inline constexpr Text5 kSaved = {"Classeur enregistré : %1", "Workbook saved: %1",
                                 "Arbeitsmappe gespeichert: %1", "Libro guardado: %1",
                                 "Cartella salvata: %1"};
inline constexpr Text5 kMinimumOf = {"Min %1", "Min %1", "Min %1", "Mín %1", "Min %1"};
inline constexpr Text5 kMaximumOf = {"Max %1", "Max %1", "Max %1", "Máx %1", "Max %1"};
inline constexpr Text5 kRun = {"Essai", "Run", "Lauf", "Prueba", "Prova"};

}  // namespace karvel::comparetext
