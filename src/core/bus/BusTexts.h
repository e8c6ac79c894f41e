// SPDX-License-Identifier: GPL-3.0-or-later
// Texts of the bus definition panel and of the two new-file dialogs, in the
// order of the language index (French, English, German, Spanish, Italian).
#pragma once

#include "core/frame/Texts.h"

namespace karvel::bustext {

inline constexpr Text5 kXmlErrorTitle = {"XML Error", "XML Error", "XML Error", "XML Error",
                                         "XML Error"};
inline constexpr Text5 kErrorTitle = {"Erreur", "Error", "Fehler", "Error", "Errore"};
inline constexpr Text5 kBusFile = {"Fichier BUS", "BUS File", "Datei BUS", "Fichero BUS",
                                   "File BUS"};
inline constexpr Text5 kBackupFile = {"Fichier de sauvegarde", "Backup file", "Sicherungsdatei",
                                      "Fichero de copia", "File di backup"};

// Unsaved edits and files about to be replaced.
inline constexpr Text5 kModified = {"Modifié", "Modified", "Geändert", "Modificado", "Modificato"};
inline constexpr Text5 kUnsavedTitle = {"Modifications non enregistrées", "Unsaved changes",
                                        "Ungespeicherte Änderungen", "Cambios sin guardar",
                                        "Modifiche non salvate"};
inline constexpr Text5 kUnsavedQuestion = {
    "Le fichier de définition de bus a été modifié.\nEnregistrer les modifications ?",
    "The bus definition file has changes that are not saved.\nSave them?",
    "Die Busdefinitionsdatei wurde geändert.\nÄnderungen speichern?",
    "El fichero de definición de bus tiene cambios sin guardar.\n¿Guardarlos?",
    "Il file di definizione del bus contiene modifiche non salvate.\nSalvarle?"};
// File > Export of the file shown while it holds unsaved edits.
inline constexpr Text5 kSendUnsavedQuestion = {
    "%1 a des modifications non enregistrées.\nL'oscilloscope reçoit le fichier tel qu'il est "
    "enregistré. Enregistrer les modifications avant l'envoi ?",
    "%1 has changes that are not saved.\nThe oscilloscope receives the file as it is saved. "
    "Save the changes before sending it?",
    "%1 enthält ungespeicherte Änderungen.\nDas Oszilloskop erhält die Datei so, wie sie "
    "gespeichert ist. Änderungen vor dem Senden speichern?",
    "%1 tiene cambios sin guardar.\nEl osciloscopio recibe el fichero tal como está guardado. "
    "¿Guardar los cambios antes de enviarlo?",
    "%1 contiene modifiche non salvate.\nL'oscilloscopio riceve il file così come è salvato. "
    "Salvare le modifiche prima di inviarlo?"};
inline constexpr Text5 kSaveAndSend = {"Enregistrer et envoyer", "Save and send",
                                       "Speichern und senden", "Guardar y enviar", "Salva e invia"};
inline constexpr Text5 kSendAsSaved = {"Envoyer la version enregistrée", "Send the saved file",
                                       "Gespeicherte Fassung senden", "Enviar el fichero guardado",
                                       "Invia il file salvato"};
inline constexpr Text5 kSaveButton = {"Enregistrer", "Save", "Speichern", "Guardar", "Salva"};
inline constexpr Text5 kDiscardButton = {"Ne pas enregistrer", "Discard", "Verwerfen", "Descartar",
                                         "Non salvare"};
inline constexpr Text5 kCancelButton = {"Annuler", "Cancel", "Abbrechen", "Cancelar", "Annulla"};
inline constexpr Text5 kReplaceTitle = {"Enregistrer", "Save", "Speichern", "Guardar", "Salva"};
inline constexpr Text5 kReplaceQuestion = {
    "Le fichier\n%1\nexiste déjà. Le remplacer ?", "The file\n%1\nalready exists. Replace it?",
    "Die Datei\n%1\nexistiert bereits. Ersetzen?", "El fichero\n%1\nya existe. ¿Sustituirlo?",
    "Il file\n%1\nesiste già. Sostituirlo?"};
inline constexpr Text5 kYes = {"Oui", "Yes", "Ja", "Sí", "Sì"};
inline constexpr Text5 kNo = {"Non", "No", "Nein", "No", "No"};

// After a generation, %1 measurements whose setting stayed at a table end.
inline constexpr Text5 kHeldAtTableEnd = {
    "Fichier écrit. %1 mesure(s) gardée(s) à la limite du tableau de l'instrument : "
    "vérifiez leurs réglages.",
    "File written. %1 measurement(s) held at the end of the instrument's table: "
    "check their settings.",
    "Datei geschrieben. %1 Messung(en) am Ende der Gerätetabelle gehalten: "
    "bitte Einstellungen prüfen.",
    "Fichero escrito. %1 medida(s) retenida(s) en el extremo de la tabla del instrumento: "
    "compruebe sus ajustes.",
    "File scritto. %1 misura/e ferma/e al limite della tabella dello strumento: "
    "verificarne le impostazioni."};

// The two new-file dialogs (TraducNewFichier, TraducNewFichier2).
inline constexpr Text5 kFileCreation = {"Création de fichier", "File creation", "Dateierstellung",
                                        "Creación de fichero", "Creazione file"};
inline constexpr Text5 kQuit = {"Quitter", "Quit", "Beenden", "Salir", "Esci"};
inline constexpr Text5 kTitleField = {"Modification du titre", "Modification of title",
                                      "Titel ändern", "Modificación del título",
                                      "Modifica del titolo"};
inline constexpr Text5 kSpeedQuestion = {
    "Quelle est la nouvelle vitesse (bps) ou la nouvelle fréquence (Hz) du bus ?",
    "What is the new baudrate (bps) or the new frequency (Hz) of the bus ?",
    "Wie lautet die neue Baudrate (bps) oder die neue Frequenz (Hz) des Busses ?",
    "¿Cuál es la nueva velocidad (bps) o la nueva frecuencia (Hz) del bus ?",
    "Qual’è il nuovo baudrate (bps) o la nuova frequenza (Hz) del bus ?"};
inline constexpr Text5 kVoltageQuestion = {
    "Quelle est la nouvelle tension maximale du bus ?", "What is the new maximum bus voltage?",
    "Wie hoch ist die neue maximale Busspannung?", "¿Cuál es la nueva tensión máxima del bus?",
    "Qual’è la nuova tensione massima del bus?"};
inline constexpr Text5 kGenerate = {"Générer", "Generate", "Erzeugen", "Generar", "Genera"};

// Refusals of the generators.
inline constexpr Text5 kNoDocument = {
    "Aucun fichier de définition de bus n'est ouvert.", "No bus definition file is open.",
    "Keine Busdefinitionsdatei geöffnet.", "No hay ningún fichero de definición de bus abierto.",
    "Nessun file di definizione del bus è aperto."};
inline constexpr Text5 kBadNewSpeed = {
    "La nouvelle vitesse doit être un nombre entier supérieur à 0.",
    "The new speed must be a whole number greater than 0.",
    "Die neue Geschwindigkeit muss eine ganze Zahl größer als 0 sein.",
    "La nueva velocidad debe ser un número entero mayor que 0.",
    "La nuova velocità deve essere un numero intero maggiore di 0."};
inline constexpr Text5 kBadLoadedSpeed = {
    "La vitesse du bus du fichier affiché est 0 : impossible de créer un fichier pour une "
    "nouvelle vitesse.",
    "The bus speed of the file shown is 0: no file can be made for a new speed.",
    "Die Busgeschwindigkeit der angezeigten Datei ist 0: es kann keine Datei für eine neue "
    "Geschwindigkeit erstellt werden.",
    "La velocidad del bus del fichero mostrado es 0: no se puede crear un fichero para una "
    "nueva velocidad.",
    "La velocità del bus del file visualizzato è 0: impossibile creare un file per una nuova "
    "velocità."};
inline constexpr Text5 kSpeedLocked = {
    "La vitesse de ce bus est verrouillée : aucun fichier ne peut être créé pour une nouvelle "
    "vitesse.",
    "The speed of this bus is locked: no file can be made for a new speed.",
    "Die Geschwindigkeit dieses Busses ist gesperrt: es kann keine Datei für eine neue "
    "Geschwindigkeit erstellt werden.",
    "La velocidad de este bus está bloqueada: no se puede crear un fichero para una nueva "
    "velocidad.",
    "La velocità di questo bus è bloccata: impossibile creare un file per una nuova velocità."};
inline constexpr Text5 kBadNewVoltage = {"La nouvelle tension maximale doit être supérieure à 0.",
                                         "The new maximum voltage must be greater than 0.",
                                         "Die neue maximale Spannung muss größer als 0 sein.",
                                         "La nueva tensión máxima debe ser mayor que 0.",
                                         "La nuova tensione massima deve essere maggiore di 0."};
inline constexpr Text5 kBadLoadedVoltage = {
    "La tension maximale du fichier affiché est 0 ou inconnue : impossible de créer un fichier "
    "pour une nouvelle tension.",
    "The maximum voltage of the file shown is 0 or unknown: no file can be made for a new "
    "voltage.",
    "Die maximale Spannung der angezeigten Datei ist 0 oder unbekannt: es kann keine Datei für "
    "eine neue Spannung erstellt werden.",
    "La tensión máxima del fichero mostrado es 0 o desconocida: no se puede crear un fichero "
    "para una nueva tensión.",
    "La tensione massima del file visualizzato è 0 o sconosciuta: impossibile creare un file "
    "per una nuova tensione."};
// %1: the index found in the file.
inline constexpr Text5 kBadTimeBase = {
    "La base de temps du fichier affiché (%1) est hors de la table de l'instrument (0 à 34).",
    "The time base of the file shown (%1) is outside the instrument's table (0 to 34).",
    "Die Zeitbasis der angezeigten Datei (%1) liegt außerhalb der Tabelle des Geräts (0 bis 34).",
    "La base de tiempos del fichero mostrado (%1) está fuera de la tabla del instrumento (0 a "
    "34).",
    "La base dei tempi del file visualizzato (%1) è fuori dalla tabella dello strumento (da 0 a "
    "34)."};
inline constexpr Text5 kBadSensitivity = {
    "La sensibilité du fichier affiché (%1) est hors des valeurs permises (0 à 12).",
    "The sensitivity of the file shown (%1) is outside the valid range (0 to 12).",
    "Die Empfindlichkeit der angezeigten Datei (%1) liegt außerhalb des gültigen Bereichs (0 bis "
    "12).",
    "La sensibilidad del fichero mostrado (%1) está fuera del rango válido (0 a 12).",
    "La sensibilità del file visualizzato (%1) è fuori dall'intervallo valido (da 0 a 12)."};
// Followed by a line feed and the file layer's own text.
inline constexpr Text5 kCannotWrite = {
    "Le fichier n'a pas pu être écrit ; le fichier existant n'a pas été modifié.",
    "The file could not be written; any existing file was left unchanged.",
    "Die Datei konnte nicht geschrieben werden; eine vorhandene Datei bleibt unverändert.",
    "No se ha podido escribir el fichero; el fichero existente no se ha modificado.",
    "Impossibile scrivere il file; il file esistente non è stato modificato."};
inline constexpr Text5 kNotEncodable = {
    "Le texte contient des caractères que l'encodage du fichier ne peut pas contenir ; il n'a pas "
    "été enregistré.",
    "The text holds characters that the file's encoding cannot store; it was not stored.",
    "Der Text enthält Zeichen, die die Kodierung der Datei nicht speichern kann; er wurde nicht "
    "übernommen.",
    "El texto contiene caracteres que la codificación del fichero no puede guardar; no se ha "
    "guardado.",
    "Il testo contiene caratteri che la codifica del file non può memorizzare; non è stato "
    "salvato."};

// Names of the generator dialogs' number fields, read by screen readers.
inline constexpr Text5 kNameSpeedBits = {
    "Nouvelle vitesse en bit/s (Hz)", "New speed in bit/s (Hz)",
    "Neue Geschwindigkeit in bit/s (Hz)", "Nueva velocidad en bit/s (Hz)",
    "Nuova velocità in bit/s (Hz)"};
inline constexpr Text5 kNameSpeedKilo = {
    "Nouvelle vitesse en kbit/s (kHz)", "New speed in kbit/s (kHz)",
    "Neue Geschwindigkeit in kbit/s (kHz)", "Nueva velocidad en kbit/s (kHz)",
    "Nuova velocità in kbit/s (kHz)"};
inline constexpr Text5 kNameSpeedMega = {
    "Nouvelle vitesse en Mbit/s (MHz)", "New speed in Mbit/s (MHz)",
    "Neue Geschwindigkeit in Mbit/s (MHz)", "Nueva velocidad en Mbit/s (MHz)",
    "Nuova velocità in Mbit/s (MHz)"};
inline constexpr Text5 kNameVoltage = {"Nouvelle tension max. en V", "New max. voltage in V",
                                       "Neue max. Spannung in V", "Nueva tensión máx. en V",
                                       "Nuova tensione max. in V"};

}  // namespace karvel::bustext
