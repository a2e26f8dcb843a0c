<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr_FR" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Diagnostic d'empreinte digitale</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Test de reconnaissance d'empreinte digitale</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Touchez le capteur ou faites-y glisser votre doigt jusqu'à la fin du test.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Test rapide d'empreinte digitale</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Vérifications rapides du lecteur d'empreintes digitales : assurez-vous qu'il réagit à votre doigt.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Vérifie que le lecteur d'empreintes digitales détecte votre doigt lorsque vous touchez le capteur ou y faites glisser votre doigt.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Lorsque vous continuez, une petite fenêtre s'ouvre. Touchez le capteur d'empreintes digitales ou faites-y glisser votre doigt jusqu'à la fin du test.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>Le capteur n'a pas détecté votre doigt à temps. Avez-vous touché le capteur ou fait glisser votre doigt dessus pendant le test ?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Ce test n'est pas pris en charge par ce lecteur ou dans ce mode.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>Le test a été interrompu par un événement système.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>Le lecteur d'empreintes digitales n'a pas pu lire votre doigt.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>Le délai a expiré avant qu'un doigt soit détecté.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Impossible d'accéder au lecteur d'empreintes digitales.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>Impossible de lire l'empreinte digitale : le lecteur a atteint sa limite de lectures.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>Impossible d'enregistrer les données d'empreinte digitale.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>L'empreinte digitale n'a pas été reconnue.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Composants peut-être défectueux</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Lecteur d'empreintes digitales</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Empreinte digitale</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Fabricant</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Modèle</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Version du pilote</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>Identifiant unique de l'appareil</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Fermer</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Interrompt le test.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>C’était un autre lecteur. Touchez le lecteur « %1 ».</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Cliquez d’abord sur cette fenêtre, puis posez ou faites glisser votre doigt sur le capteur.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>Le lecteur d’empreintes digitales est occupé par un autre programme. Fermez ce programme et relancez le test.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>La biométrie est désactivée sur cet ordinateur par une stratégie.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>Le lecteur d’empreintes digitales ne peut pas être testé dans une session à distance. Lancez le test sur l’ordinateur lui-même.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>Le lecteur d’empreintes digitales est réservé à la sécurité de connexion renforcée et ne peut pas être testé ici.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Aucun pilote de ce système ne prend en charge ce lecteur d'empreintes digitales.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Aucune empreinte digitale n'est enregistrée pour cet utilisateur. Enregistrez d'abord une empreinte digitale dans les paramètres du système, puis relancez le test.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>La stratégie du système ne permet pas à cet utilisateur d'utiliser ici le lecteur d'empreintes digitales (par exemple dans une session distante ou inactive).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>État du pilote</translation>
    </message>
</context>
</TS>
