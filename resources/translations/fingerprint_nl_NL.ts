<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="nl_NL" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Vingerafdrukdiagnose</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Vingerafdrukherkenningstest</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Raak de sensor aan met uw vinger of veeg eroverheen tot de test klaar is.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Snelle vingerafdruktest</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Snelle controles van de vingerafdruklezer: controleer of deze op uw vinger reageert.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Controleert of de vingerafdruklezer uw vinger detecteert wanneer u de sensor aanraakt of er met uw vinger overheen veegt.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Als u doorgaat, wordt er een klein venster geopend. Raak de vingerafdruksensor aan of veeg er met uw vinger overheen tot de test klaar is.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>De sensor heeft uw vinger niet op tijd gedetecteerd. Hebt u tijdens de test de sensor aangeraakt of er met uw vinger overheen geveegd?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Deze test wordt niet ondersteund op deze lezer of in deze modus.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>De test is gestopt door een systeemgebeurtenis.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>De vingerafdruklezer kon uw vinger niet lezen.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>De tijd is verstreken voordat er een vinger werd gedetecteerd.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Geen toegang tot de vingerafdruklezer.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>De vingerafdruk kon niet worden gelezen: de lezer heeft zijn leeslimiet bereikt.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>De vingerafdrukgegevens konden niet worden opgeslagen.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>De vingerafdruk werd niet herkend.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Mogelijk defecte onderdelen</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Vingerafdruklezer</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Vingerafdruk</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Fabrikant</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Beschrijving</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Stuurprogrammaversie</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>Unieke apparaat-ID</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Sluiten</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Stopt de test.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>Dat was een andere lezer. Raak de lezer ‘%1’ aan.</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Klik eerst op dit venster en raak daarna de sensor aan of veeg met uw vinger over de sensor.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>De vingerafdruklezer wordt door een ander programma gebruikt. Sluit dat programma en voer de test opnieuw uit.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>Biometrie is op deze computer uitgeschakeld door een beleid.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>De vingerafdruklezer kan niet worden getest in een externe sessie. Voer de test uit op de computer zelf.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>De vingerafdruklezer is gereserveerd voor verbeterde aanmeldingsbeveiliging en kan hier niet worden getest.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Geen enkel stuurprogramma op dit systeem ondersteunt deze vingerafdruklezer.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Voor deze gebruiker is geen vingerafdruk geregistreerd. Registreer eerst een vingerafdruk in de systeeminstellingen en voer de test daarna opnieuw uit.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>Het beleid van het systeem staat deze gebruiker niet toe de vingerafdruklezer hier te gebruiken (bijvoorbeeld in een externe of inactieve sessie).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Status stuurprogramma</translation>
    </message>
</context>
</TS>
