// SPDX-License-Identifier: GPL-3.0-or-later
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

// ---- Where the runs' dates come from and what orders them ----------------
inline constexpr Text5 kOneResult = {"Choisissez au moins deux résultats à comparer.",
                                     "Choose at least two results to compare.",
                                     "Wählen Sie mindestens zwei Ergebnisse zum Vergleichen.",
                                     "Elija al menos dos resultados para comparar.",
                                     "Scegliere almeno due risultati da confrontare."};
inline constexpr Text5 kDateInResult = {"date du résultat", "date in the result",
                                        "Datum im Ergebnis", "fecha del resultado",
                                        "data del risultato"};
inline constexpr Text5 kDateFileTime = {"heure du fichier", "file time", "Dateizeit",
                                        "hora del fichero", "ora del file"};
// Beside the trend; %1 runs of %2 have no date of their own.
inline constexpr Text5 kTrendOnFileTimes = {
    "ordre selon l'heure du fichier pour %1 essai(s) sur %2",
    "order from file times for %1 of %2 runs", "Reihenfolge nach Dateizeit für %1 von %2 Läufen",
    "orden según la hora del fichero en %1 de %2 pruebas",
    "ordine secondo l'ora del file per %1 prove su %2"};
inline constexpr Text5 kTrendInGivenOrder = {"dans l'ordre choisi", "in the order given",
                                             "in der gewählten Reihenfolge", "en el orden elegido",
                                             "nell'ordine scelto"};
// Above the comparison table when some dates are file times.
inline constexpr Text5 kFileTimesWarning = {
    "Certains résultats n'écrivent pas leur date : l'heure de leur fichier les place, et une "
    "copie a pu la changer. Vérifiez l'ordre ; Essais > Déplacer à gauche / à droite le corrige.",
    "Some results write no date: their files' times place them, and a copy may have changed "
    "those. Check the order; Runs > Move left / Move right puts it right.",
    "Einige Ergebnisse schreiben kein Datum: die Zeit ihrer Datei ordnet sie ein, und eine Kopie "
    "kann sie geändert haben. Prüfen Sie die Reihenfolge; Läufe > Nach links / Nach rechts "
    "berichtigt sie.",
    "Algunos resultados no escriben su fecha: la hora de su fichero los ordena, y una copia "
    "puede haberla cambiado. Compruebe el orden; Pruebas > Mover a la izquierda / derecha lo "
    "corrige.",
    "Alcuni risultati non scrivono la data: l'ora del loro file li ordina, e una copia può "
    "averla cambiata. Verificare l'ordine; Prove > Sposta a sinistra / a destra lo corregge."};
inline constexpr Text5 kRunsMenu = {"__Essais", "__Runs", "__Läufe", "__Pruebas", "__Prove"};
inline constexpr Text5 kMoveLeft = {"Déplacer à __gauche", "Move __left", "Nach __links",
                                    "Mover a la __izquierda", "Sposta a __sinistra"};
inline constexpr Text5 kMoveRight = {"Déplacer à __droite", "Move __right", "Nach __rechts",
                                     "Mover a la __derecha", "Sposta a __destra"};
// The comparison sheet: the row of the dates' sources, and that of the files.
inline constexpr Text5 kDateFrom = {"Date tirée de", "Date from", "Datum aus", "Fecha tomada de",
                                    "Data presa da"};
inline constexpr Text5 kFileRow = {"Fichier", "File", "Datei", "Fichero", "File"};

// ---- What a screen reader says of the comparison window -------------------
inline constexpr Text5 kTableName = {"Tableau de comparaison", "Comparison table",
                                     "Vergleichstabelle", "Tabla de comparación",
                                     "Tabella di confronto"};
// %1 the measurement shown.
inline constexpr Text5 kChartName = {"Graphique : %1", "Chart: %1", "Diagramm: %1", "Gráfico: %1",
                                     "Grafico: %1"};
inline constexpr Text5 kChartEmpty = {
    "Graphique (aucune mesure choisie)", "Chart (no measurement selected)",
    "Diagramm (keine Messung gewählt)", "Gráfico (ninguna medida elegida)",
    "Grafico (nessuna misura scelta)"};
// %1 the measurement, %2 the number of runs, %3 the runs one by one.
inline constexpr Text5 kChartRuns = {"%1 sur %2 essais : %3", "%1 over %2 runs: %3",
                                     "%1 über %2 Läufe: %3", "%1 en %2 pruebas: %3",
                                     "%1 su %2 prove: %3"};
// One run: %1 its date, %2 what it measured.
inline constexpr Text5 kChartRun = {"%1 : %2", "%1: %2", "%1: %2", "%1: %2", "%1: %2"};
inline constexpr Text5 kChartNoValue = {"aucune valeur", "no value", "kein Wert", "sin valor",
                                        "nessun valore"};
// %1 the minimum, %2 the maximum.
inline constexpr Text5 kChartBand = {"bande %1 à %2", "band %1 to %2", "Band %1 bis %2",
                                     "banda %1 a %2", "banda da %1 a %2"};

// Above the charts of a workbook's comparison sheet when there would be too
// many: %1 how many are drawn.
inline constexpr Text5 kChartsCapped = {
    "Graphiques des %1 premières mesures seulement ; le tableau les contient toutes.",
    "Charts of the first %1 measurements only; the table holds them all.",
    "Diagramme nur der ersten %1 Messungen; die Tabelle enthält alle.",
    "Gráficos solo de las %1 primeras medidas; la tabla las contiene todas.",
    "Grafici solo delle prime %1 misure; la tabella le contiene tutte."};

// The date at which a measurement's values, moving as they have, reach a
// limit (LimitReach.h): the heading, the cell (%1 the date, %2 the limit's
// name), the cell when the line is past it already, the names of the limits
// and how the date is worked out (%1 the share of the variation required).
inline constexpr Text5 kLimitReachHeading = {"Limite atteinte", "Limit reached", "Grenze erreicht",
                                             "Límite alcanzado", "Limite raggiunto"};
inline constexpr Text5 kLimitReachOn = {"%2 vers le %1", "%2 around %1", "%2 um den %1",
                                        "%2 hacia el %1", "%2 verso il %1"};
inline constexpr Text5 kLimitReachPast = {"%1 déjà atteint", "%1 already reached",
                                          "%1 schon erreicht", "%1 ya alcanzado",
                                          "%1 già raggiunto"};
inline constexpr Text5 kLimitMaximum = {"maximum", "maximum", "Maximum", "máximo", "massimo"};
inline constexpr Text5 kLimitMinimum = {"minimum", "minimum", "Minimum", "mínimo", "minimo"};
inline constexpr Text5 kLimitReachMethod = {
    "Date où la droite des moindres carrés des valeurs en fonction des dates des résultats "
    "atteint la limite vers laquelle elle va ; donnée seulement avec au moins trois résultats "
    "et quand la droite explique au moins %1 % de la variation (R²).",
    "The date at which the least-squares line of the values over the result dates reaches the "
    "limit it heads for; given only with three results or more and when the line explains at "
    "least %1 % of the variation (R²).",
    "Datum, an dem die Ausgleichsgerade (kleinste Quadrate) der Werte über den Ergebnisdaten "
    "die Grenze erreicht, auf die sie zuläuft; nur bei mindestens drei Ergebnissen und wenn die "
    "Gerade mindestens %1 % der Streuung erklärt (R²).",
    "Fecha en que la recta de mínimos cuadrados de los valores según las fechas de los "
    "resultados alcanza el límite hacia el que va; solo con tres resultados o más y cuando la "
    "recta explica al menos el %1 % de la variación (R²).",
    "Data in cui la retta dei minimi quadrati dei valori rispetto alle date dei risultati "
    "raggiunge il limite verso cui va; indicata solo con almeno tre risultati e quando la retta "
    "spiega almeno il %1 % della variazione (R²)."};

}  // namespace karvel::comparetext
