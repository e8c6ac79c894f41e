// Texts of file transfers: the progress dialog, what a cancelled send could
// not clear up, and File > Export's confirmation; five languages each.
#pragma once

#include "core/frame/Texts.h"

namespace karvel::text {

// ---- Transfer progress dialog ----------------------------------------------
inline constexpr Text5 kTransferTitle{"Transfert", "Transfer", "Übertragung", "Transferencia",
                                      "Trasferimento"};
// The file's name on the instrument.
inline constexpr Text5 kTransferSending{
    "Envoi de %1 à l'oscilloscope", "Sending %1 to the oscilloscope",
    "%1 wird an das Oszilloskop gesendet", "Enviando %1 al osciloscopio",
    "Invio di %1 all'oscilloscopio"};
inline constexpr Text5 kTransferFetching{
    "Réception de %1 depuis l'oscilloscope", "Fetching %1 from the oscilloscope",
    "%1 wird vom Oszilloskop geholt", "Recibiendo %1 del osciloscopio",
    "Ricezione di %1 dall'oscilloscopio"};
// Bytes moved, then the file's size.
inline constexpr Text5 kTransferBytes{"%1 octets sur %2", "%1 of %2 bytes", "%1 von %2 Bytes",
                                      "%1 de %2 bytes", "%1 di %2 byte"};
// Before a fetched file's size is known.
inline constexpr Text5 kTransferWaiting{
    "En attente de l'oscilloscope ...", "Waiting for the oscilloscope ...",
    "Warten auf das Oszilloskop ...", "Esperando al osciloscopio ...",
    "In attesa dell'oscilloscopio ..."};
inline constexpr Text5 kTransferCancel{"Annuler", "Cancel", "Abbrechen", "Cancelar", "Annulla"};
inline constexpr Text5 kTransferCancelling{"Annulation ...", "Cancelling ...",
                                           "Wird abgebrochen ...", "Cancelando ...",
                                           "Annullamento ..."};

// ---- Transfer progress dialog: what a screen reader says -------------------
inline constexpr Text5 kTransferBarName{
    "Progression du transfert", "Transfer progress", "Fortschritt der Übertragung",
    "Progreso de la transferencia", "Avanzamento del trasferimento"};

// ---- A cancelled send ------------------------------------------------------
// The file's name on the instrument, twice.
inline constexpr Text5 kPartialFileLeft{
    "Le transfert de %1 a été annulé, mais le fichier partiel n'a pas pu être supprimé de "
    "l'oscilloscope : supprimez %1 sur l'oscilloscope.",
    "The transfer of %1 was cancelled, but the partial file could not be removed from the "
    "oscilloscope: delete %1 on the oscilloscope.",
    "Die Übertragung von %1 wurde abgebrochen, aber die unvollständige Datei konnte nicht vom "
    "Oszilloskop entfernt werden: Löschen Sie %1 am Oszilloskop.",
    "La transferencia de %1 se ha cancelado, pero el fichero parcial no se ha podido borrar del "
    "osciloscopio: borre %1 en el osciloscopio.",
    "Il trasferimento di %1 è stato annullato, ma il file parziale non è stato eliminato "
    "dall'oscilloscopio: eliminare %1 sull'oscilloscopio."};

// ---- File > Export confirmation --------------------------------------------
// The PC file's name.
inline constexpr Text5 kExportDone{
    "%1 a été envoyé à l'oscilloscope.", "%1 has been sent to the oscilloscope.",
    "%1 wurde an das Oszilloskop gesendet.", "%1 se ha enviado al osciloscopio.",
    "%1 è stato inviato all'oscilloscopio."};
// The PC file's name, then the name the instrument stores it under.
inline constexpr Text5 kExportDoneAs{
    "%1 a été envoyé à l'oscilloscope sous le nom %2.",
    "%1 has been sent to the oscilloscope as %2.", "%1 wurde als %2 an das Oszilloskop gesendet.",
    "%1 se ha enviado al osciloscopio como %2.", "%1 è stato inviato all'oscilloscopio come %2."};

}  // namespace karvel::text
