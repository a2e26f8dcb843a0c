<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Fingerprint Diagnostics</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Fingerprint Recognition Test</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Touch or slide your finger on the sensor until the test finishes.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Fingerprint Quick Test</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Quick checks of the fingerprint reader: make sure it responds to your finger.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Checks that the fingerprint reader senses your finger when you touch or slide it on the sensor.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>When you continue, a small window opens. Touch or slide your finger on the fingerprint sensor until the test finishes.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>The sensor didn't detect your finger in time. Did you touch or slide your finger on the sensor during the test?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>This test isn't supported on this reader or in this mode.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>The test was stopped by a system event.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>The fingerprint reader couldn't read your finger.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>Time ran out before a finger was detected.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Can't access the fingerprint reader.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>The fingerprint couldn't be read: the reader reached its read limit.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>The fingerprint data couldn't be saved.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>The fingerprint wasn't recognized.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Possibly faulty components</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Fingerprint reader</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Fingerprint</translation>
    </message>
    <message>
        <source>FINGERPRINT_MANUFACTURER</source>
        <translation>Manufacturer</translation>
    </message>
    <message>
        <source>FINGERPRINT_MODEL</source>
        <translation>Model</translation>
    </message>
    <message>
        <source>FINGERPRINT_DESCRIPTION</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Driver version</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>Unique device ID</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Stops the test.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>That was another reader. Touch the reader “%1”.</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Click this window first, then touch or slide your finger on the sensor.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>The fingerprint reader is busy in another program. Close that program and run the test again.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>Biometrics are turned off on this computer by policy.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>The fingerprint reader cannot be tested in a remote session. Run the test at the computer itself.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>The fingerprint reader is reserved for Enhanced Sign-in Security and cannot be tested here.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>No driver on this system supports this fingerprint reader.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>No fingerprint is enrolled for this user. Enroll a fingerprint in the system settings first, then run the test again.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>The system's policy does not allow this user to use the fingerprint reader here (for example in a remote or inactive session).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Driver status</translation>
    </message>
</context>
</TS>
