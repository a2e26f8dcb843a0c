<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="it_IT" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Diagnostica impronte digitali</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Test di riconoscimento dell'impronta digitale</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Tocca il sensore o fai scorrere il dito su di esso fino al termine del test.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Test rapido dell'impronta digitale</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Controlli rapidi del lettore di impronte digitali: verifica che risponda al tuo dito.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Verifica che il lettore di impronte digitali rilevi il tuo dito quando tocchi il sensore o vi fai scorrere il dito.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Proseguendo si apre una piccola finestra. Tocca il sensore di impronte digitali o fai scorrere il dito su di esso fino al termine del test.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>Il sensore non ha rilevato il dito in tempo. Hai toccato il sensore o vi hai fatto scorrere il dito durante il test?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Questo test non è supportato da questo lettore o in questa modalità.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>Il test è stato interrotto da un evento di sistema.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>Il lettore di impronte digitali non è riuscito a leggere il tuo dito.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>Tempo scaduto prima che venisse rilevato un dito.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Impossibile accedere al lettore di impronte digitali.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>Impossibile leggere l'impronta digitale: il lettore ha raggiunto il limite di letture.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>Impossibile salvare i dati dell'impronta digitale.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>Impronta digitale non riconosciuta.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Componenti potenzialmente difettosi</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Lettore di impronte digitali</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Impronta digitale</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Produttore</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Modello</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Descrizione</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Versione del driver</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>ID univoco del dispositivo</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Chiudi</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Interrompe il test.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>Quello era un altro lettore. Tocca il lettore «%1».</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Fai prima clic su questa finestra, quindi tocca o fai scorrere il dito sul sensore.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>Il lettore di impronte digitali è occupato da un altro programma. Chiudi quel programma ed esegui di nuovo il test.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>La biometria è disattivata su questo computer da un criterio.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>Il lettore di impronte digitali non può essere testato in una sessione remota. Esegui il test direttamente sul computer.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>Il lettore di impronte digitali è riservato alla sicurezza di accesso avanzata e non può essere testato qui.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Nessun driver di questo sistema supporta questo lettore di impronte digitali.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Per questo utente non è registrata alcuna impronta digitale. Registrare prima un'impronta digitale nelle impostazioni di sistema, quindi eseguire di nuovo il test.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>I criteri di sistema non consentono a questo utente di usare qui il lettore di impronte digitali (ad esempio in una sessione remota o inattiva).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Stato del driver</translation>
    </message>
</context>
</TS>
