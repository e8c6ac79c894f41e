// SPDX-License-Identifier: GPL-3.0-or-later
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

// ---- A fetch refused for the instrument's file name -------------------------
// The name with its control characters written visibly, then why.
inline constexpr Text5 kFetchNameRefused{
    "Le fichier %1 ne peut pas être reçu : %2. Renommez-le sur l'oscilloscope.",
    "The file %1 cannot be fetched: %2. Rename it on the oscilloscope.",
    "Die Datei %1 kann nicht geholt werden: %2. Benennen Sie sie am Oszilloskop um.",
    "No se puede recibir el fichero %1: %2. Cámbiele el nombre en el osciloscopio.",
    "Impossibile ricevere il file %1: %2. Rinominarlo sull'oscilloscopio."};
inline constexpr Text5 kNameHasControlCharacters{
    "son nom contient des caractères de commande, qu'une commande à l'oscilloscope ne peut pas "
    "transmettre",
    "its name holds control characters, which a command to the oscilloscope cannot carry",
    "sein Name enthält Steuerzeichen, die ein Befehl an das Oszilloskop nicht übertragen kann",
    "su nombre contiene caracteres de control, que una orden al osciloscopio no puede transmitir",
    "il suo nome contiene caratteri di controllo, che un comando all'oscilloscopio non può "
    "trasmettere"};
inline constexpr Text5 kNameHasQuote{
    "son nom contient un guillemet (\"), qu'une commande à l'oscilloscope ne peut pas transmettre",
    "its name holds a double quote (\"), which a command to the oscilloscope cannot carry",
    "sein Name enthält ein Anführungszeichen (\"), das ein Befehl an das Oszilloskop nicht "
    "übertragen kann",
    "su nombre contiene comillas (\"), que una orden al osciloscopio no puede transmitir",
    "il suo nome contiene le virgolette (\"), che un comando all'oscilloscopio non può "
    "trasmettere"};
inline constexpr Text5 kNameNotInCodePage{
    "son nom contient des caractères que l'oscilloscope ne connaît pas : %1",
    "its name holds characters that the oscilloscope does not know: %1",
    "sein Name enthält Zeichen, die das Oszilloskop nicht kennt: %1",
    "su nombre contiene caracteres que el osciloscopio no conoce: %1",
    "il suo nome contiene caratteri che l'oscilloscopio non conosce: %1"};

// ---- A fetched block that is not one ----------------------------------------
// The file's name, then what was wrong.
inline constexpr Text5 kFetchBadReply{
    "Réponse incorrecte de l'oscilloscope pour le fichier %1 : %2.",
    "Malformed reply from the oscilloscope for the file %1: %2.",
    "Fehlerhafte Antwort des Oszilloskops für die Datei %1: %2.",
    "Respuesta incorrecta del osciloscopio para el fichero %1: %2.",
    "Risposta non valida dell'oscilloscopio per il file %1: %2."};
// The first bytes that came.
inline constexpr Text5 kBlockNoHash{"le bloc de données ne commence pas par « # » mais par « %1 »",
                                    "the data block does not start with \"#\" but with \"%1\"",
                                    "der Datenblock beginnt nicht mit „#“, sondern mit „%1“",
                                    "el bloque de datos no empieza por «#» sino por «%1»",
                                    "il blocco di dati non inizia con «#» ma con «%1»"};
inline constexpr Text5 kBlockBadDigitCount{
    "« %1 » après « # » n'est pas un nombre de chiffres de 1 à 9",
    "\"%1\" after \"#\" is not a digit count from 1 to 9",
    "„%1“ nach „#“ ist keine Ziffernanzahl von 1 bis 9",
    "«%1» después de «#» no es un número de cifras de 1 a 9",
    "«%1» dopo «#» non è un numero di cifre da 1 a 9"};
inline constexpr Text5 kBlockBadLength{
    "la longueur du bloc « %1 » n'est pas un nombre", "the block length \"%1\" is not a number",
    "die Blocklänge „%1“ ist keine Zahl", "la longitud del bloque «%1» no es un número",
    "la lunghezza del blocco «%1» non è un numero"};
// The length announced, then the largest a file may have.
inline constexpr Text5 kBlockTooLong{
    "le bloc annonce %1 octets, plus que les %2 qu'un fichier peut avoir",
    "the block announces %1 bytes, more than the %2 a file may have",
    "der Block kündigt %1 Bytes an, mehr als die %2, die eine Datei haben darf",
    "el bloque anuncia %1 bytes, más que los %2 que puede tener un fichero",
    "il blocco annuncia %1 byte, più dei %2 che un file può avere"};

}  // namespace karvel::text
