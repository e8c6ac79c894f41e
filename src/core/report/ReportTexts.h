// SPDX-License-Identifier: GPL-3.0-or-later
// The five-language texts of the maintenance report (French, English,
// German, Spanish, Italian): its headings, its words and its messages.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::reporttext {

inline constexpr Text5 kTitle = {"Rapport de maintenance", "Maintenance report", "Wartungsbericht",
                                 "Informe de mantenimiento", "Rapporto di manutenzione"};
inline constexpr Text5 kCustomer = {"Client", "Customer", "Kunde", "Cliente", "Cliente"};
inline constexpr Text5 kSite = {"Site", "Site", "Standort", "Emplazamiento", "Sito"};
inline constexpr Text5 kVisit = {"Visite", "Visit", "Besuch", "Visita", "Visita"};
// %1 the first day, %2 the last.
inline constexpr Text5 kVisitRange = {"du %1 au %2", "%1 to %2", "%1 bis %2", "del %1 al %2",
                                      "dal %1 al %2"};
inline constexpr Text5 kTechnician = {"Technicien", "Technician", "Techniker", "Técnico",
                                      "Tecnico"};
inline constexpr Text5 kInstrument = {"Instrument", "Instrument", "Messgerät", "Instrumento",
                                      "Strumento"};
// %1 the model, %2 the serial number.
inline constexpr Text5 kInstrumentLine = {"%1, n° de série %2", "%1, serial number %2",
                                          "%1, Seriennummer %2", "%1, número de serie %2",
                                          "%1, numero di serie %2"};
inline constexpr Text5 kUnknown = {"non connu", "not known", "nicht bekannt", "desconocido",
                                   "non noto"};
inline constexpr Text5 kSiteNotes = {"Remarques sur le site", "Notes on the site",
                                     "Hinweise zum Standort", "Notas del emplazamiento",
                                     "Note sul sito"};

inline constexpr Text5 kSummary = {"Synthèse", "Summary", "Übersicht", "Resumen", "Sintesi"};
inline constexpr Text5 kSegment = {"Segment", "Segment", "Segment", "Segmento", "Segmento"};
inline constexpr Text5 kBus = {"Bus", "Bus", "Bus", "Bus", "Bus"};
inline constexpr Text5 kVerdictNow = {"Verdict actuel", "Verdict now", "Ergebnis jetzt",
                                      "Veredicto actual", "Esito attuale"};
inline constexpr Text5 kVerdictBaseline = {"Verdict de référence", "Verdict at baseline",
                                           "Ergebnis der Referenz", "Veredicto de referencia",
                                           "Esito di riferimento"};
inline constexpr Text5 kFailedRows = {"Échecs", "Failed", "Fehler", "Fallos", "Falliti"};
inline constexpr Text5 kWarningRows = {"Avertiss.", "Warnings", "Warnungen", "Advert.", "Avvisi"};
inline constexpr Text5 kShrunkMargins = {"Marges réduites", "Margins shrunk",
                                         "Reserven geschrumpft", "Márgenes reducidos",
                                         "Margini ridotti"};
inline constexpr Text5 kNotMeasured = {"non mesuré à cette visite",
                                       "not measured during this visit",
                                       "bei diesem Besuch nicht gemessen",
                                       "no medido en esta visita", "non misurato in questa visita"};
inline constexpr Text5 kNoBaseline = {"aucune référence", "no baseline", "keine Referenz",
                                      "sin referencia", "nessun riferimento"};
inline constexpr Text5 kNoSegmentMeasured = {
    "Aucun segment de ce site n'a de résultat daté de cette visite.",
    "No segment of this site has a result dated within this visit.",
    "Kein Segment dieses Standorts hat ein Ergebnis aus diesem Besuch.",
    "Ningún segmento de este emplazamiento tiene un resultado de esta visita.",
    "Nessun segmento di questo sito ha un risultato di questa visita."};

// %1 the segment, %2 its bus.
inline constexpr Text5 kSegmentHeading = {"Segment %1 : %2", "Segment %1: %2", "Segment %1: %2",
                                          "Segmento %1: %2", "Segmento %1: %2"};
// %1 the file, %2 its date.
inline constexpr Text5 kResultOf = {"Résultat %1 du %2", "Result %1 of %2", "Ergebnis %1 vom %2",
                                    "Resultado %1 del %2", "Risultato %1 del %2"};
// %1 how many results of the visit, %2 the one shown.
inline constexpr Text5 kMoreResults = {"%1 résultats dans cette visite ; le dernier est montré.",
                                       "%1 results in this visit; the last one is shown.",
                                       "%1 Ergebnisse in diesem Besuch; das letzte wird gezeigt.",
                                       "%1 resultados en esta visita; se muestra el último.",
                                       "%1 risultati in questa visita; è mostrato l'ultimo."};
inline constexpr Text5 kVerdict = {"Verdict", "Verdict", "Ergebnis", "Veredicto", "Esito"};
inline constexpr Text5 kMeasurement = {"Mesure", "Measurement", "Messung", "Medida", "Misura"};
inline constexpr Text5 kMinimum = {"Minimum", "Minimum", "Minimum", "Mínimo", "Minimo"};
inline constexpr Text5 kMaximum = {"Maximum", "Maximum", "Maximum", "Máximo", "Massimo"};
inline constexpr Text5 kValue = {"Valeur", "Value", "Wert", "Valor", "Valore"};
inline constexpr Text5 kStatus = {"État", "Status", "Status", "Estado", "Stato"};
inline constexpr Text5 kMarginBar = {"Marge dans la tolérance", "Margin within tolerance",
                                     "Reserve im Toleranzband", "Margen en la tolerancia",
                                     "Margine nella tolleranza"};
inline constexpr Text5 kNoNumber = {"pas de valeur", "no value", "kein Wert", "sin valor",
                                    "nessun valore"};

// %1 the baseline's date.
inline constexpr Text5 kSinceBaseline = {
    "Évolution depuis la référence (%1)", "Changes since the baseline (%1)",
    "Änderungen seit der Referenz (%1)", "Cambios desde la referencia (%1)",
    "Variazioni dal riferimento (%1)"};
// %1 the previous visit's date.
inline constexpr Text5 kSincePrevious = {
    "Évolution depuis la visite précédente (%1)", "Changes since the previous visit (%1)",
    "Änderungen seit dem letzten Besuch (%1)", "Cambios desde la visita anterior (%1)",
    "Variazioni dalla visita precedente (%1)"};
inline constexpr Text5 kBaselineIsCurrent = {
    "Le résultat de cette visite est la référence du segment.",
    "The result of this visit is the segment's baseline.",
    "Das Ergebnis dieses Besuchs ist die Referenz des Segments.",
    "El resultado de esta visita es la referencia del segmento.",
    "Il risultato di questa visita è il riferimento del segmento."};
inline constexpr Text5 kNoBaselineSentence = {
    "Ce segment n'a pas de référence : aucune comparaison avec elle.",
    "This segment has no baseline: nothing to compare with.",
    "Dieses Segment hat keine Referenz: kein Vergleich damit.",
    "Este segmento no tiene referencia: nada con qué comparar.",
    "Questo segmento non ha un riferimento: nessun confronto."};
inline constexpr Text5 kNoPrevious = {
    "Aucune visite antérieure de ce segment.", "No earlier visit of this segment.",
    "Kein früherer Besuch dieses Segments.", "Ninguna visita anterior de este segmento.",
    "Nessuna visita precedente di questo segmento."};
inline constexpr Text5 kThen = {"Avant", "Then", "Vorher", "Antes", "Prima"};
inline constexpr Text5 kNow = {"Maintenant", "Now", "Jetzt", "Ahora", "Ora"};
inline constexpr Text5 kMarginThen = {"Marge avant", "Margin then", "Reserve vorher",
                                      "Margen antes", "Margine prima"};
inline constexpr Text5 kMarginNow = {"Marge maint.", "Margin now", "Reserve jetzt", "Margen ahora",
                                     "Margine ora"};
inline constexpr Text5 kFlags = {"Signalements", "Flags", "Hinweise", "Señales", "Segnalazioni"};
inline constexpr Text5 kFlagWorse = {"état dégradé", "status worse", "Status schlechter",
                                     "estado peor", "stato peggiorato"};
inline constexpr Text5 kFlagBetter = {"état amélioré", "status better", "Status besser",
                                      "estado mejor", "stato migliorato"};
inline constexpr Text5 kFlagShrank = {"marge réduite", "margin shrank", "Reserve geschrumpft",
                                      "margen reducido", "margine ridotto"};
inline constexpr Text5 kFlagNew = {"nouvelle mesure", "new measurement", "neue Messung",
                                   "medida nueva", "misura nuova"};
inline constexpr Text5 kFlagMissing = {"mesure absente", "measurement missing", "Messung fehlt",
                                       "medida ausente", "misura assente"};
inline constexpr Text5 kNoChange = {"Aucune mesure signalée.", "No measurement flagged.",
                                    "Keine Messung gemeldet.", "Ninguna medida señalada.",
                                    "Nessuna misura segnalata."};

inline constexpr Text5 kCharts = {
    "Historique des mesures signalées", "History of the flagged measurements",
    "Verlauf der gemeldeten Messungen", "Historial de las medidas señaladas",
    "Storico delle misure segnalate"};
// %1 the measurement, %2 the number of results.
inline constexpr Text5 kChartTitle = {"%1 sur %2 résultats", "%1 over %2 results",
                                      "%1 über %2 Ergebnisse", "%1 en %2 resultados",
                                      "%1 su %2 risultati"};
inline constexpr Text5 kLimitReach = {"Limite atteinte", "Limit reached", "Grenze erreicht",
                                      "Límite alcanzado", "Limite raggiunto"};

inline constexpr Text5 kNotes = {"Remarques du technicien", "Technician's notes",
                                 "Hinweise des Technikers", "Notas del técnico",
                                 "Note del tecnico"};
inline constexpr Text5 kActions = {"À faire", "What to do", "Zu tun", "Qué hacer", "Cosa fare"};
inline constexpr Text5 kActionRepair = {
    "Rechercher et corriger la cause des mesures en échec, puis mesurer à nouveau.",
    "Find and correct the cause of the failed measurements, then measure again.",
    "Ursache der fehlerhaften Messungen finden und beheben, dann erneut messen.",
    "Buscar y corregir la causa de las medidas fallidas y volver a medir.",
    "Trovare e correggere la causa delle misure fallite, poi misurare di nuovo."};
inline constexpr Text5 kActionWatch = {
    "Surveiller les mesures en avertissement à la prochaine visite.",
    "Watch the measurements in warning at the next visit.",
    "Die Messungen mit Warnung beim nächsten Besuch beobachten.",
    "Vigilar las medidas en advertencia en la próxima visita.",
    "Sorvegliare le misure in avviso alla prossima visita."};
inline constexpr Text5 kActionShrank = {
    "Des marges se réduisent : vérifier câblage, connecteurs et terminaisons.",
    "Margins are shrinking: check wiring, connectors and terminations.",
    "Reserven schrumpfen: Verkabelung, Stecker und Abschlüsse prüfen.",
    "Los márgenes se reducen: revisar cableado, conectores y terminaciones.",
    "I margini si riducono: controllare cablaggio, connettori e terminazioni."};
// %1 the measurement, %2 the date.
inline constexpr Text5 kActionBefore = {
    "Intervenir sur « %1 » avant le %2, date où il atteindrait sa limite.",
    "Act on \"%1\" before %2, when it would reach its limit.",
    "„%1“ vor dem %2 bearbeiten, wenn es seine Grenze erreichen würde.",
    "Actuar sobre «%1» antes del %2, cuando alcanzaría su límite.",
    "Intervenire su «%1» prima del %2, quando raggiungerebbe il limite."};
inline constexpr Text5 kActionBaseline = {
    "Enregistrer un résultat de référence pour ce segment.",
    "File a baseline result for this segment.",
    "Ein Referenzergebnis für dieses Segment festlegen.",
    "Registrar un resultado de referencia para este segmento.",
    "Registrare un risultato di riferimento per questo segmento."};
inline constexpr Text5 kActionNone = {"Aucune action nécessaire.", "No action needed.",
                                      "Keine Maßnahme nötig.", "Ninguna acción necesaria.",
                                      "Nessuna azione necessaria."};

inline constexpr Text5 kSignature = {"Signature du client", "Customer's signature",
                                     "Unterschrift des Kunden", "Firma del cliente",
                                     "Firma del cliente"};
inline constexpr Text5 kSignatureName = {"Nom", "Name", "Name", "Nombre", "Nome"};
inline constexpr Text5 kSignatureLine = {"Signature", "Signature", "Unterschrift", "Firma",
                                         "Firma"};
inline constexpr Text5 kDate = {"Date", "Date", "Datum", "Fecha", "Data"};
// %1 this page, %2 how many.
inline constexpr Text5 kPage = {"Page %1 sur %2", "Page %1 of %2", "Seite %1 von %2",
                                "Página %1 de %2", "Pagina %1 di %2"};
// %1 the report's file, %2 the reason.
inline constexpr Text5 kCannotWrite = {
    "Le rapport %1 n'a pas pu être écrit : %2", "The report %1 could not be written: %2",
    "Der Bericht %1 konnte nicht geschrieben werden: %2",
    "No se ha podido escribir el informe %1: %2", "Impossibile scrivere il rapporto %1: %2"};
inline constexpr Text5 kPainterFailed = {
    "le moteur PDF n'a pas démarré", "the PDF writer did not start",
    "der PDF-Schreiber ist nicht gestartet", "el generador PDF no arrancó",
    "il generatore PDF non è partito"};
// %1 the logo's file, %2 why.
inline constexpr Text5 kLogoUnreadable = {
    "Le logo %1 n'a pas pu être lu (%2) : le rapport est fait sans lui.",
    "The logo %1 could not be read (%2); the report is made without it.",
    "Das Logo %1 konnte nicht gelesen werden (%2); der Bericht entsteht ohne es.",
    "No se ha podido leer el logotipo %1 (%2); el informe se hace sin él.",
    "Impossibile leggere il logo %1 (%2); il rapporto è fatto senza."};
inline constexpr Text5 kLogoNotImage = {"ce n'est pas une image lisible",
                                        "it is not a readable image", "es ist kein lesbares Bild",
                                        "no es una imagen legible", "non è un'immagine leggibile"};
// %1 the site.
inline constexpr Text5 kNoSuchSite = {
    "Le registre n'a pas de site %1", "The register has no site %1",
    "Das Register hat keinen Standort %1", "El registro no tiene el emplazamiento %1",
    "Il registro non ha il sito %1"};
// %1 the site.
inline constexpr Text5 kSiteHasNoResult = {
    "Le site %1 n'a encore aucun résultat : pas de visite à rapporter.",
    "The site %1 has no result yet: there is no visit to report.",
    "Der Standort %1 hat noch kein Ergebnis: kein Besuch für einen Bericht.",
    "El emplazamiento %1 aún no tiene resultados: no hay visita que informar.",
    "Il sito %1 non ha ancora risultati: nessuna visita da riportare."};
// %1 the first day, %2 the last.
inline constexpr Text5 kDatesReversed = {"La visite commence le %1 après sa fin le %2.",
                                         "The visit starts on %1, after it ends on %2.",
                                         "Der Besuch beginnt am %1, nach seinem Ende am %2.",
                                         "La visita empieza el %1, después de terminar el %2.",
                                         "La visita inizia il %1, dopo la fine il %2."};

// The report dialog of the register window.
inline constexpr Text5 kMenuReport = {"__Rapport ...", "__Report ...", "__Bericht ...",
                                      "__Informe ...", "__Rapporto ..."};
inline constexpr Text5 kDialogTitle = {"Rapport de maintenance", "Maintenance report",
                                       "Wartungsbericht", "Informe de mantenimiento",
                                       "Rapporto di manutenzione"};
inline constexpr Text5 kFrom = {"Du", "From", "Von", "Desde", "Dal"};
inline constexpr Text5 kTo = {"Au", "To", "Bis", "Hasta", "Al"};
inline constexpr Text5 kLanguage = {"Langue du rapport", "Report language", "Berichtssprache",
                                    "Idioma del informe", "Lingua del rapporto"};
inline constexpr Text5 kCompany = {"Entreprise", "Company", "Firma", "Empresa", "Azienda"};
inline constexpr Text5 kLogo = {"Logo", "Logo", "Logo", "Logotipo", "Logo"};
inline constexpr Text5 kChooseLogo = {"Choisir ...", "Choose ...", "Wählen ...", "Elegir ...",
                                      "Scegli ..."};
inline constexpr Text5 kMake = {"Créer le rapport", "Make report", "Bericht erstellen",
                                "Crear informe", "Crea rapporto"};
inline constexpr Text5 kPdfFilter = {"Documents PDF (*.pdf)", "PDF documents (*.pdf)",
                                     "PDF-Dokumente (*.pdf)", "Documentos PDF (*.pdf)",
                                     "Documenti PDF (*.pdf)"};
inline constexpr Text5 kImageFilter = {
    "Images (*.png *.jpg *.jpeg *.bmp)", "Images (*.png *.jpg *.jpeg *.bmp)",
    "Bilder (*.png *.jpg *.jpeg *.bmp)", "Imágenes (*.png *.jpg *.jpeg *.bmp)",
    "Immagini (*.png *.jpg *.jpeg *.bmp)"};
// %1 the file written.
inline constexpr Text5 kWritten = {"Rapport écrit dans %1", "Report written to %1",
                                   "Bericht geschrieben nach %1", "Informe escrito en %1",
                                   "Rapporto scritto in %1"};

}  // namespace karvel::reporttext
