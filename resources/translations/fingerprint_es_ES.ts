<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Diagnóstico de huella digital</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Prueba de reconocimiento de huella digital</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Toque o deslice el dedo sobre el sensor hasta que termine la prueba.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Prueba rápida de huella digital</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Comprobaciones rápidas del lector de huellas digitales: asegúrese de que responde a su dedo.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Comprueba que el lector de huellas digitales detecta su dedo cuando lo toca o lo desliza sobre el sensor.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Al continuar, se abrirá una pequeña ventana. Toque o deslice el dedo sobre el sensor de huellas digitales hasta que termine la prueba.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>El sensor no detectó su dedo a tiempo. ¿Tocó o deslizó el dedo sobre el sensor durante la prueba?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Esta prueba no es compatible con este lector o en este modo.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>La prueba se detuvo por un evento del sistema.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>El lector de huellas digitales no pudo leer su dedo.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>Se agotó el tiempo antes de detectar un dedo.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>No se puede acceder al lector de huellas digitales.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>No se pudo leer la huella digital: el lector alcanzó su límite de lecturas.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>No se pudieron guardar los datos de la huella digital.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>No se reconoció la huella digital.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Componentes posiblemente defectuosos</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Lector de huellas digitales</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Huella digital</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Fabricante</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Descripción</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Versión del controlador</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>ID único del dispositivo</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Detiene la prueba.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>Ese era otro lector. Toque el lector «%1».</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Haga clic primero en esta ventana y, a continuación, toque o deslice el dedo sobre el sensor.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>El lector de huellas digitales está ocupado por otro programa. Cierre ese programa y vuelva a ejecutar la prueba.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>La biometría está desactivada en este equipo por una directiva.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>El lector de huellas digitales no se puede probar en una sesión remota. Ejecute la prueba en el propio equipo.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>El lector de huellas digitales está reservado para la seguridad de inicio de sesión mejorada y no se puede probar aquí.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Ningún controlador de este sistema admite este lector de huellas dactilares.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Este usuario no tiene ninguna huella digital registrada. Registre primero una huella digital en la configuración del sistema y vuelva a ejecutar la prueba.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>La directiva del sistema no permite a este usuario usar aquí el lector de huellas digitales (por ejemplo, en una sesión remota o inactiva).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Estado del controlador</translation>
    </message>
</context>
</TS>
