<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_BR" sourcelanguage="en_US">
<context>
    <name>FINGERPRINT</name>
    <message>
        <source>APPLICATION_NAME</source>
        <translation>Diagnóstico de Impressão Digital</translation>
    </message>
    <message>
        <source>RECOGNITION_TEST</source>
        <translation>Teste de Reconhecimento de Impressão Digital</translation>
    </message>
    <message>
        <source>TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES</source>
        <translation>Toque ou deslize o dedo no sensor até o teste terminar.</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT</source>
        <translation>Teste Rápido de Impressão Digital</translation>
    </message>
    <message>
        <source>QUICK_FINGERPRINT_TESTS_TOOLTIP</source>
        <translation>Verificações rápidas do leitor de impressão digital: confirme que ele responde ao seu dedo.</translation>
    </message>
    <message>
        <source>FINGERPRINT_RECOGNITION_TEST_DESCRIPTION</source>
        <translation>Verifica se o leitor de impressão digital detecta seu dedo quando você o toca ou desliza no sensor.</translation>
    </message>
    <message>
        <source>FINGERPRINT_INSTRUCTIONS</source>
        <translation>Ao continuar, uma pequena janela será aberta. Toque ou deslize o dedo no sensor de impressão digital até o teste terminar.</translation>
    </message>
    <message>
        <source>DID_YOU_PERFORM_THE_TEST_CORRECTLY</source>
        <translation>O sensor não detectou seu dedo a tempo. Você tocou ou deslizou o dedo no sensor durante o teste?</translation>
    </message>
    <message>
        <source>TEST_NOT_SUPPORTED</source>
        <translation>Este teste não é compatível com este leitor ou com este modo.</translation>
    </message>
    <message>
        <source>TEST_ABORTED_BY_EVENT</source>
        <translation>O teste foi interrompido por um evento do sistema.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT</source>
        <translation>O leitor de impressão digital não conseguiu ler seu dedo.</translation>
    </message>
    <message>
        <source>TIMEOUT_REACHED</source>
        <translation>O tempo acabou antes de um dedo ser detectado.</translation>
    </message>
    <message>
        <source>CANNOT_ACCESS_DEVICE</source>
        <translation>Não foi possível acessar o leitor de impressão digital.</translation>
    </message>
    <message>
        <source>FAILED_TO_ENROLL_FINGERPRINT_DUE_TO_FINGERPRINT_READ_LIMIT_ERROR</source>
        <translation>Não foi possível ler a impressão digital: o leitor atingiu o limite de leituras.</translation>
    </message>
    <message>
        <source>FAILED_TO_COMMIT_FINGERPRINT_DATA</source>
        <translation>Não foi possível salvar os dados da impressão digital.</translation>
    </message>
    <message>
        <source>FINGERPRINT_NOT_RECOGNIZED</source>
        <translation>A impressão digital não foi reconhecida.</translation>
    </message>
    <message>
        <source>POSSIBLE_DEFECTIVE_COMPONENTS</source>
        <translation>Componentes possivelmente defeituosos</translation>
    </message>
    <message>
        <source>FINGERPRINT_READER</source>
        <translation>Leitor de impressão digital</translation>
    </message>
    <message>
        <source>FINGERPRINT</source>
        <translation>Impressão digital</translation>
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
        <translation>Descrição</translation>
    </message>
    <message>
        <source>DRIVER_VERSION</source>
        <translation>Versão do driver</translation>
    </message>
    <message>
        <source>UDI</source>
        <translation>ID exclusivo do dispositivo</translation>
    </message>
    <message>
        <source>CLOSE</source>
        <translation>Fechar</translation>
    </message>
    <message>
        <source>CLOSE_STOPS_TEST</source>
        <translation>Interrompe o teste.</translation>
    </message>
    <message>
        <source>THAT_WAS_ANOTHER_READER_TOUCH_READER</source>
        <translation>Esse era outro leitor. Toque no leitor “%1”.</translation>
    </message>
    <message>
        <source>CLICK_THIS_WINDOW_FIRST</source>
        <translation>Clique primeiro nesta janela e depois toque ou deslize o dedo no sensor.</translation>
    </message>
    <message>
        <source>READER_BUSY_IN_ANOTHER_PROGRAM</source>
        <translation>O leitor de impressão digital está ocupado em outro programa. Feche esse programa e execute o teste novamente.</translation>
    </message>
    <message>
        <source>BIOMETRICS_TURNED_OFF_BY_POLICY</source>
        <translation>A biometria está desativada neste computador por uma política.</translation>
    </message>
    <message>
        <source>NOT_AVAILABLE_IN_REMOTE_SESSION</source>
        <translation>O leitor de impressão digital não pode ser testado em uma sessão remota. Execute o teste no próprio computador.</translation>
    </message>
    <message>
        <source>ENHANCED_SIGN_IN_SECURITY_NOT_SUPPORTED</source>
        <translation>O leitor de impressão digital está reservado para a Segurança de Entrada Aprimorada e não pode ser testado aqui.</translation>
    </message>
    <message>
        <source>NO_DRIVER_SUPPORTS_READER</source>
        <translation>Nenhum driver deste sistema é compatível com este leitor de impressões digitais.</translation>
    </message>
    <message>
        <source>ENROLL_A_FINGERPRINT_IN_SYSTEM_SETTINGS_FIRST</source>
        <translation>Nenhuma impressão digital está cadastrada para este usuário. Cadastre primeiro uma impressão digital nas configurações do sistema e execute o teste novamente.</translation>
    </message>
    <message>
        <source>SYSTEM_POLICY_DENIES_READER</source>
        <translation>A política do sistema não permite que este usuário use o leitor de impressão digital aqui (por exemplo, em uma sessão remota ou inativa).</translation>
    </message>
    <message>
        <source>DRIVER_STATUS</source>
        <translation>Status do driver</translation>
    </message>
</context>
</TS>
