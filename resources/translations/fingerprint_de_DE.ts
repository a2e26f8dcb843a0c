<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Fingerabdruck-Diagnose</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Fingerabdruck-Erkennungstest</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Berühren Sie den Sensor mit dem Finger oder streichen Sie darüber, bis der Test beendet ist.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Fingerabdruck-Schnelltest</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Schnelle Prüfungen des Fingerabdrucklesers: Stellen Sie sicher, dass er auf Ihren Finger reagiert.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Prüft, ob der Fingerabdruckleser Ihren Finger erkennt, wenn Sie den Sensor berühren oder mit dem Finger darüber streichen.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Wenn Sie fortfahren, öffnet sich ein kleines Fenster. Berühren Sie den Fingerabdrucksensor oder streichen Sie mit dem Finger darüber, bis der Test beendet ist.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>Der Sensor hat Ihren Finger nicht rechtzeitig erkannt. Haben Sie den Sensor während des Tests berührt oder mit dem Finger darüber gestrichen?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Dieser Test wird von diesem Leser oder in diesem Modus nicht unterstützt.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>Der Test wurde durch ein Systemereignis abgebrochen.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>Der Fingerabdruckleser konnte Ihren Finger nicht lesen.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>Die Zeit ist abgelaufen, bevor ein Finger erkannt wurde.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Auf den Fingerabdruckleser kann nicht zugegriffen werden.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>Der Fingerabdruck konnte nicht gelesen werden: Der Leser hat sein Leselimit erreicht.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>Die Fingerabdruckdaten konnten nicht gespeichert werden.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>Der Fingerabdruck wurde nicht erkannt.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Möglicherweise defekte Komponenten</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Fingerabdruckleser</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Fingerabdruck</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Hersteller</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Modell</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Beschreibung</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Treiberversion</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>Eindeutige Geräte-ID</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Bricht den Test ab.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>Das war ein anderer Leser. Berühren Sie den Leser „%1“.</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Klicken Sie zuerst in dieses Fenster und berühren Sie dann den Sensor mit dem Finger oder streichen Sie darüber.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>Der Fingerabdruckleser wird von einem anderen Programm verwendet. Schließen Sie dieses Programm und führen Sie den Test erneut aus.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>Biometrie ist auf diesem Computer durch eine Richtlinie deaktiviert.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>Der Fingerabdruckleser kann in einer Remotesitzung nicht getestet werden. Führen Sie den Test direkt am Computer aus.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>Der Fingerabdruckleser ist für die erweiterte Anmeldesicherheit reserviert und kann hier nicht getestet werden.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Kein Treiber auf diesem System unterstützt diesen Fingerabdruckleser.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Für diesen Benutzer ist kein Fingerabdruck registriert. Registrieren Sie zuerst einen Fingerabdruck in den Systemeinstellungen und führen Sie den Test dann erneut aus.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>Die Richtlinie des Systems erlaubt diesem Benutzer hier nicht, den Fingerabdruckleser zu verwenden (zum Beispiel in einer Remote- oder inaktiven Sitzung).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Treiberstatus</translation>
    </message>
</context>
</TS>
