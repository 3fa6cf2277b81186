// The language table as written by the translators (UTF-8). CLang converts it once into
// the forms the screens draw: Latin-1 bytes, Windows-1251 for Russian, 16-bit units for Chinese.
#include "gui/lang.h"

const char* const CLang::utf8_table[kLanguages][kLangStrings] = {
    // English
    {
        "Antenna", // 0
        "Max Depth", // 1
        "Depth Window", // 2
        "Shallow", // 3
        "Medium", // 4
        "Deep", // 5
        "Antenna index error", // 6
        "Feet", // 7
        "Meters", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Quit", // 14
        "Start", // 15
        "Stop", // 16
        "Save", // 17
        "Cancel", // 18
        "Settings", // 19
        "Color", // 20
        "Gray levels", // 21
        "Color scheme", // 22
        "Soil", // 23
        "Soil Type", // 24
        "Vel.", // 25
        "Slow soils, wet", // 26
        "Average soils", // 27
        "Fast soils, dry", // 28
        "Soil index error", // 29
        "Trigger type", // 30
        "Acquisition mode", // 31
        "Trigger list", // 32
        "Forward", // 33
        "Reverse", // 34
        "TLC Forward", // 35
        "TLC Reverse", // 36
        "Wheel index error", // 37
        "System Message", // 38
        "Press the button to close this window", // 39
        "Yes", // 40
        "No", // 41
        "Low voltage", // 42
        "Antenna will soon be disconnected", // 43
        "Monitor will soon be switched off", // 44
        "Time", // 45
        "GPS Marker", // 46
        "File:", // 47
        "Wrong RAMP", // 48
        "Wrong antenna parameters", // 49
        "Wrong wheel calibration", // 50
        "Wrong system calibration", // 51
        "----", // 52
        "Control Unit is OFF", // 53
        "Switch it ON or press the button to go back", // 54
        "Produced by", // 55
        "gprmon - open-source GPR monitor", // 56
        "Old or NO Antenna has been detected", // 57
        "Change it or press the button to go back", // 58
        "OK", // 59
        "Wrong Control Unit", // 60
        "Connect a proper one or press the button to Quit", // 61
        "Do you want to Quit ?", // 62
        "Measurement Error", // 63
        "Upload screenshots", // 64
        "Upload GPS Markers", // 65
    },
    // French
    {
        "Antenne", // 0
        "Profondeur max", // 1
        "Fenêtre de profondeur", // 2
        "Faible", // 3
        "Moyenne", // 4
        "Grande", // 5
        "Erreur d'indice d'antenne", // 6
        "Pieds", // 7
        "Mètres", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Quitter", // 14
        "Démarrer", // 15
        "Arrêter", // 16
        "Enregistrer", // 17
        "Annuler", // 18
        "Réglages", // 19
        "Couleur", // 20
        "Niveaux de gris", // 21
        "Palette de couleurs", // 22
        "Sol", // 23
        "Type de sol", // 24
        "Vit.", // 25
        "Sols lents, humides", // 26
        "Sols moyens", // 27
        "Sols rapides, secs", // 28
        "Erreur d'indice de sol", // 29
        "Déclenchement", // 30
        "Mode d'acquisition", // 31
        "Liste des déclenchements", // 32
        "Avant", // 33
        "Arrière", // 34
        "TLC avant", // 35
        "TLC arrière", // 36
        "Erreur d'indice de roue", // 37
        "Message système", // 38
        "Appuyez sur le bouton pour fermer cette fenêtre", // 39
        "Oui", // 40
        "Non", // 41
        "Tension faible", // 42
        "L'antenne sera bientôt déconnectée", // 43
        "Le moniteur va bientôt s'éteindre", // 44
        "Temps", // 45
        "Marqueur GPS", // 46
        "Fichier :", // 47
        "RAMP erronée", // 48
        "Paramètres d'antenne erronés", // 49
        "Étalonnage de roue erroné", // 50
        "Étalonnage du système erroné", // 51
        "----", // 52
        "L'unité de contrôle est éteinte", // 53
        "Allumez-la ou appuyez sur le bouton pour revenir", // 54
        "Fabriqué par", // 55
        "gprmon - open-source GPR monitor", // 56
        "Antenne ancienne ou absente détectée", // 57
        "Changez-la ou appuyez sur le bouton pour revenir", // 58
        "OK", // 59
        "Unité de contrôle incorrecte", // 60
        "Connectez-en une adaptée ou appuyez sur le bouton pour quitter", // 61
        "Voulez-vous quitter ?", // 62
        "Erreur de mesure", // 63
        "Transférer les captures d'écran", // 64
        "Transférer les marqueurs GPS", // 65
    },
    // Italian
    {
        "Antenna", // 0
        "Profondità max", // 1
        "Finestra di profondità", // 2
        "Bassa", // 3
        "Media", // 4
        "Alta", // 5
        "Errore indice antenna", // 6
        "Piedi", // 7
        "Metri", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Esci", // 14
        "Avvia", // 15
        "Ferma", // 16
        "Salva", // 17
        "Annulla", // 18
        "Impostazioni", // 19
        "Colore", // 20
        "Livelli di grigio", // 21
        "Schema colori", // 22
        "Terreno", // 23
        "Tipo di terreno", // 24
        "Vel.", // 25
        "Terreni lenti, umidi", // 26
        "Terreni medi", // 27
        "Terreni veloci, asciutti", // 28
        "Errore indice terreno", // 29
        "Tipo di trigger", // 30
        "Modalità di acquisizione", // 31
        "Elenco trigger", // 32
        "Avanti", // 33
        "Indietro", // 34
        "TLC avanti", // 35
        "TLC indietro", // 36
        "Errore indice ruota", // 37
        "Messaggio di sistema", // 38
        "Premere il pulsante per chiudere questa finestra", // 39
        "Sì", // 40
        "No", // 41
        "Tensione bassa", // 42
        "L'antenna verrà presto scollegata", // 43
        "Il monitor verrà presto spento", // 44
        "Tempo", // 45
        "Marcatore GPS", // 46
        "File:", // 47
        "RAMP errata", // 48
        "Parametri antenna errati", // 49
        "Calibrazione ruota errata", // 50
        "Calibrazione sistema errata", // 51
        "----", // 52
        "L'unità di controllo è spenta", // 53
        "Accenderla o premere il pulsante per tornare indietro", // 54
        "Prodotto da", // 55
        "gprmon - open-source GPR monitor", // 56
        "Antenna vecchia o assente rilevata", // 57
        "Cambiarla o premere il pulsante per tornare indietro", // 58
        "OK", // 59
        "Unità di controllo errata", // 60
        "Collegarne una adatta o premere il pulsante per uscire", // 61
        "Vuoi uscire ?", // 62
        "Errore di misura", // 63
        "Carica schermate", // 64
        "Carica marcatori GPS", // 65
    },
    // Spanish
    {
        "Antena", // 0
        "Profundidad máx.", // 1
        "Ventana de profundidad", // 2
        "Poca", // 3
        "Media", // 4
        "Mucha", // 5
        "Error de índice de antena", // 6
        "Pies", // 7
        "Metros", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Salir", // 14
        "Iniciar", // 15
        "Parar", // 16
        "Guardar", // 17
        "Cancelar", // 18
        "Ajustes", // 19
        "Color", // 20
        "Niveles de gris", // 21
        "Esquema de color", // 22
        "Suelo", // 23
        "Tipo de suelo", // 24
        "Vel.", // 25
        "Suelos lentos, húmedos", // 26
        "Suelos medios", // 27
        "Suelos rápidos, secos", // 28
        "Error de índice de suelo", // 29
        "Tipo de disparo", // 30
        "Modo de adquisición", // 31
        "Lista de disparos", // 32
        "Adelante", // 33
        "Atrás", // 34
        "TLC adelante", // 35
        "TLC atrás", // 36
        "Error de índice de rueda", // 37
        "Mensaje del sistema", // 38
        "Pulse el botón para cerrar esta ventana", // 39
        "Sí", // 40
        "No", // 41
        "Tensión baja", // 42
        "La antena se desconectará pronto", // 43
        "El monitor se apagará pronto", // 44
        "Tiempo", // 45
        "Marcador GPS", // 46
        "Archivo:", // 47
        "RAMP incorrecta", // 48
        "Parámetros de antena incorrectos", // 49
        "Calibración de rueda incorrecta", // 50
        "Calibración del sistema incorrecta", // 51
        "----", // 52
        "La unidad de control está apagada", // 53
        "Enciéndala o pulse el botón para volver", // 54
        "Fabricado por", // 55
        "gprmon - open-source GPR monitor", // 56
        "Se ha detectado una antena antigua o ninguna", // 57
        "Cámbiela o pulse el botón para volver", // 58
        "OK", // 59
        "Unidad de control incorrecta", // 60
        "Conecte una adecuada o pulse el botón para salir", // 61
        "¿Desea salir ?", // 62
        "Error de medición", // 63
        "Subir capturas de pantalla", // 64
        "Subir marcadores GPS", // 65
    },
    // German
    {
        "Antenne", // 0
        "Max. Tiefe", // 1
        "Tiefenfenster", // 2
        "Flach", // 3
        "Mittel", // 4
        "Tief", // 5
        "Antennenindex-Fehler", // 6
        "Fuß", // 7
        "Meter", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Beenden", // 14
        "Start", // 15
        "Stopp", // 16
        "Speichern", // 17
        "Abbrechen", // 18
        "Einstellungen", // 19
        "Farbe", // 20
        "Graustufen", // 21
        "Farbschema", // 22
        "Boden", // 23
        "Bodenart", // 24
        "Geschw.", // 25
        "Langsame Böden, nass", // 26
        "Mittlere Böden", // 27
        "Schnelle Böden, trocken", // 28
        "Bodenindex-Fehler", // 29
        "Auslöser", // 30
        "Aufnahmemodus", // 31
        "Auslöserliste", // 32
        "Vorwärts", // 33
        "Rückwärts", // 34
        "TLC vorwärts", // 35
        "TLC rückwärts", // 36
        "Radindex-Fehler", // 37
        "Systemmeldung", // 38
        "Taste drücken, um dieses Fenster zu schließen", // 39
        "Ja", // 40
        "Nein", // 41
        "Niedrige Spannung", // 42
        "Die Antenne wird bald getrennt", // 43
        "Der Monitor wird bald ausgeschaltet", // 44
        "Zeit", // 45
        "GPS-Marke", // 46
        "Datei:", // 47
        "Falsche RAMP", // 48
        "Falsche Antennenparameter", // 49
        "Falsche Radkalibrierung", // 50
        "Falsche Systemkalibrierung", // 51
        "----", // 52
        "Steuereinheit ist AUS", // 53
        "Einschalten oder Taste drücken, um zurückzugehen", // 54
        "Hergestellt von", // 55
        "gprmon - open-source GPR monitor", // 56
        "Alte oder KEINE Antenne erkannt", // 57
        "Wechseln oder Taste drücken, um zurückzugehen", // 58
        "OK", // 59
        "Falsche Steuereinheit", // 60
        "Passende anschließen oder Taste drücken, um zu beenden", // 61
        "Möchten Sie beenden ?", // 62
        "Messfehler", // 63
        "Bildschirmfotos hochladen", // 64
        "GPS-Marken hochladen", // 65
    },
    // Swedish
    {
        "Antenn", // 0
        "Max djup", // 1
        "Djupfönster", // 2
        "Grunt", // 3
        "Medel", // 4
        "Djupt", // 5
        "Fel antennindex", // 6
        "Fot", // 7
        "Meter", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Avsluta", // 14
        "Starta", // 15
        "Stoppa", // 16
        "Spara", // 17
        "Avbryt", // 18
        "Inställningar", // 19
        "Färg", // 20
        "Gråskala", // 21
        "Färgschema", // 22
        "Mark", // 23
        "Marktyp", // 24
        "Hast.", // 25
        "Långsam mark, våt", // 26
        "Normal mark", // 27
        "Snabb mark, torr", // 28
        "Fel markindex", // 29
        "Triggertyp", // 30
        "Insamlingsläge", // 31
        "Triggerlista", // 32
        "Framåt", // 33
        "Bakåt", // 34
        "TLC framåt", // 35
        "TLC bakåt", // 36
        "Fel hjulindex", // 37
        "Systemmeddelande", // 38
        "Tryck på knappen för att stänga fönstret", // 39
        "Ja", // 40
        "Nej", // 41
        "Låg spänning", // 42
        "Antennen kopplas snart från", // 43
        "Monitorn stängs snart av", // 44
        "Tid", // 45
        "GPS-markör", // 46
        "Fil:", // 47
        "Fel RAMP", // 48
        "Fel antennparametrar", // 49
        "Fel hjulkalibrering", // 50
        "Fel systemkalibrering", // 51
        "----", // 52
        "Styrenheten är AV", // 53
        "Slå på den eller tryck på knappen för att gå tillbaka", // 54
        "Tillverkad av", // 55
        "gprmon - open-source GPR monitor", // 56
        "Gammal eller INGEN antenn har upptäckts", // 57
        "Byt den eller tryck på knappen för att gå tillbaka", // 58
        "OK", // 59
        "Fel styrenhet", // 60
        "Anslut en lämplig eller tryck på knappen för att avsluta", // 61
        "Vill du avsluta ?", // 62
        "Mätfel", // 63
        "Ladda upp skärmbilder", // 64
        "Ladda upp GPS-markörer", // 65
    },
    // Norwegian
    {
        "Antenne", // 0
        "Maks dybde", // 1
        "Dybdevindu", // 2
        "Grunt", // 3
        "Middels", // 4
        "Dypt", // 5
        "Feil antenneindeks", // 6
        "Fot", // 7
        "Meter", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Avslutt", // 14
        "Start", // 15
        "Stopp", // 16
        "Lagre", // 17
        "Avbryt", // 18
        "Innstillinger", // 19
        "Farge", // 20
        "Gråtoner", // 21
        "Fargeskjema", // 22
        "Grunn", // 23
        "Grunntype", // 24
        "Hast.", // 25
        "Langsom grunn, våt", // 26
        "Middels grunn", // 27
        "Rask grunn, tørr", // 28
        "Feil grunnindeks", // 29
        "Triggertype", // 30
        "Innsamlingsmodus", // 31
        "Triggerliste", // 32
        "Forover", // 33
        "Bakover", // 34
        "TLC forover", // 35
        "TLC bakover", // 36
        "Feil hjulindeks", // 37
        "Systemmelding", // 38
        "Trykk på knappen for å lukke vinduet", // 39
        "Ja", // 40
        "Nei", // 41
        "Lav spenning", // 42
        "Antennen kobles snart fra", // 43
        "Monitoren slås snart av", // 44
        "Tid", // 45
        "GPS-markør", // 46
        "Fil:", // 47
        "Feil RAMP", // 48
        "Feil antenneparametre", // 49
        "Feil hjulkalibrering", // 50
        "Feil systemkalibrering", // 51
        "----", // 52
        "Styreenheten er AV", // 53
        "Slå den PÅ eller trykk på knappen for å gå tilbake", // 54
        "Produsert av", // 55
        "gprmon - open-source GPR monitor", // 56
        "Gammel eller INGEN antenne er oppdaget", // 57
        "Bytt den eller trykk på knappen for å gå tilbake", // 58
        "OK", // 59
        "Feil styreenhet", // 60
        "Koble til en riktig eller trykk på knappen for å avslutte", // 61
        "Vil du avslutte ?", // 62
        "Målefeil", // 63
        "Last opp skjermbilder", // 64
        "Last opp GPS-markører", // 65
    },
    // Russian
    {
        "Антенна", // 0
        "Макс. глубина", // 1
        "Окно глубины", // 2
        "Мелко", // 3
        "Средне", // 4
        "Глубоко", // 5
        "Ошибка индекса антенны", // 6
        "Футы", // 7
        "Метры", // 8
        "фт", // 9
        "м", // 10
        "МГц", // 11
        "с", // 12
        "мкс", // 13
        "Выход", // 14
        "Старт", // 15
        "Стоп", // 16
        "Сохранить", // 17
        "Отмена", // 18
        "Настройки", // 19
        "Цвет", // 20
        "Оттенки серого", // 21
        "Цветовая схема", // 22
        "Грунт", // 23
        "Тип грунта", // 24
        "Скор.", // 25
        "Медленные грунты, влажные", // 26
        "Средние грунты", // 27
        "Быстрые грунты, сухие", // 28
        "Ошибка индекса грунта", // 29
        "Тип запуска", // 30
        "Режим съемки", // 31
        "Список запусков", // 32
        "Вперед", // 33
        "Назад", // 34
        "TLC вперед", // 35
        "TLC назад", // 36
        "Ошибка индекса колеса", // 37
        "Системное сообщение", // 38
        "Нажмите кнопку, чтобы закрыть это окно", // 39
        "Да", // 40
        "Нет", // 41
        "Низкое напряжение", // 42
        "Антенна скоро будет отключена", // 43
        "Монитор скоро будет выключен", // 44
        "Время", // 45
        "Метка GPS", // 46
        "Файл:", // 47
        "Неверный RAMP", // 48
        "Неверные параметры антенны", // 49
        "Неверная калибровка колеса", // 50
        "Неверная калибровка системы", // 51
        "----", // 52
        "Блок управления ВЫКЛЮЧЕН", // 53
        "Включите его или нажмите кнопку для возврата", // 54
        "Производитель", // 55
        "gprmon - open-source GPR monitor", // 56
        "Обнаружена старая антенна или антенны НЕТ", // 57
        "Замените ее или нажмите кнопку для возврата", // 58
        "OK", // 59
        "Неверный блок управления", // 60
        "Подключите подходящий или нажмите кнопку для выхода", // 61
        "Вы хотите выйти ?", // 62
        "Ошибка измерения", // 63
        "Выгрузить снимки экрана", // 64
        "Выгрузить метки GPS", // 65
    },
    // Chinese
    {
        "天线", // 0
        "最大深度", // 1
        "深度窗口", // 2
        "浅", // 3
        "中", // 4
        "深", // 5
        "天线索引错误", // 6
        "英尺", // 7
        "米", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "秒", // 12
        "微秒", // 13
        "退出", // 14
        "开始", // 15
        "停止", // 16
        "保存", // 17
        "取消", // 18
        "设置", // 19
        "彩色", // 20
        "灰度", // 21
        "配色方案", // 22
        "土壤", // 23
        "土壤类型", // 24
        "速度", // 25
        "慢速土壤，潮湿", // 26
        "一般土壤", // 27
        "快速土壤，干燥", // 28
        "土壤索引错误", // 29
        "触发方式", // 30
        "采集模式", // 31
        "触发列表", // 32
        "正向", // 33
        "反向", // 34
        "TLC 正向", // 35
        "TLC 反向", // 36
        "测距轮索引错误", // 37
        "系统消息", // 38
        "按键关闭此窗口", // 39
        "是", // 40
        "否", // 41
        "电压低", // 42
        "天线即将断开", // 43
        "显示器即将关闭", // 44
        "时间", // 45
        "GPS 标记", // 46
        "文件：", // 47
        "RAMP 错误", // 48
        "天线参数错误", // 49
        "测距轮校准错误", // 50
        "系统校准错误", // 51
        "----", // 52
        "控制单元已关闭", // 53
        "请打开控制单元或按键返回", // 54
        "制造商", // 55
        "gprmon - open-source GPR monitor", // 56
        "检测到旧天线或无天线", // 57
        "请更换天线或按键返回", // 58
        "确定", // 59
        "控制单元不匹配", // 60
        "请连接合适的控制单元或按键退出", // 61
        "确定要退出吗？", // 62
        "测量错误", // 63
        "上传截图", // 64
        "上传 GPS 标记", // 65
    },
    // Portuguese
    {
        "Antena", // 0
        "Profundidade máx.", // 1
        "Janela de profundidade", // 2
        "Rasa", // 3
        "Média", // 4
        "Profunda", // 5
        "Erro de índice da antena", // 6
        "Pés", // 7
        "Metros", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Sair", // 14
        "Iniciar", // 15
        "Parar", // 16
        "Salvar", // 17
        "Cancelar", // 18
        "Configurações", // 19
        "Cor", // 20
        "Tons de cinza", // 21
        "Esquema de cores", // 22
        "Solo", // 23
        "Tipo de solo", // 24
        "Vel.", // 25
        "Solos lentos, úmidos", // 26
        "Solos médios", // 27
        "Solos rápidos, secos", // 28
        "Erro de índice do solo", // 29
        "Tipo de disparo", // 30
        "Modo de aquisição", // 31
        "Lista de disparos", // 32
        "Para frente", // 33
        "Para trás", // 34
        "TLC para frente", // 35
        "TLC para trás", // 36
        "Erro de índice da roda", // 37
        "Mensagem do sistema", // 38
        "Pressione o botão para fechar esta janela", // 39
        "Sim", // 40
        "Não", // 41
        "Tensão baixa", // 42
        "A antena será desconectada em breve", // 43
        "O monitor será desligado em breve", // 44
        "Tempo", // 45
        "Marcador GPS", // 46
        "Arquivo:", // 47
        "RAMP incorreta", // 48
        "Parâmetros da antena incorretos", // 49
        "Calibração da roda incorreta", // 50
        "Calibração do sistema incorreta", // 51
        "----", // 52
        "A unidade de controle está DESLIGADA", // 53
        "Ligue-a ou pressione o botão para voltar", // 54
        "Fabricado por", // 55
        "gprmon - open-source GPR monitor", // 56
        "Antena antiga ou NENHUMA antena detectada", // 57
        "Troque-a ou pressione o botão para voltar", // 58
        "OK", // 59
        "Unidade de controle incorreta", // 60
        "Conecte uma adequada ou pressione o botão para sair", // 61
        "Deseja sair ?", // 62
        "Erro de medição", // 63
        "Enviar capturas de tela", // 64
        "Enviar marcadores GPS", // 65
    },
    // Romanian
    {
        "Antena", // 0
        "Adâncime max.", // 1
        "Fereastra de adâncime", // 2
        "Mica", // 3
        "Medie", // 4
        "Mare", // 5
        "Eroare index antena", // 6
        "Picioare", // 7
        "Metri", // 8
        "ft", // 9
        "m", // 10
        "MHz", // 11
        "s", // 12
        "µs", // 13
        "Iesire", // 14
        "Start", // 15
        "Stop", // 16
        "Salvare", // 17
        "Anulare", // 18
        "Setari", // 19
        "Culoare", // 20
        "Nuante de gri", // 21
        "Schema de culori", // 22
        "Sol", // 23
        "Tip de sol", // 24
        "Vit.", // 25
        "Soluri lente, umede", // 26
        "Soluri medii", // 27
        "Soluri rapide, uscate", // 28
        "Eroare index sol", // 29
        "Tip declansare", // 30
        "Mod de achizitie", // 31
        "Lista declansari", // 32
        "Înainte", // 33
        "Înapoi", // 34
        "TLC înainte", // 35
        "TLC înapoi", // 36
        "Eroare index roata", // 37
        "Mesaj de sistem", // 38
        "Apasati butonul pentru a închide aceasta fereastra", // 39
        "Da", // 40
        "Nu", // 41
        "Tensiune scazuta", // 42
        "Antena va fi deconectata în curând", // 43
        "Monitorul se va opri în curând", // 44
        "Timp", // 45
        "Marcaj GPS", // 46
        "Fisier:", // 47
        "RAMP gresit", // 48
        "Parametri antena gresiti", // 49
        "Calibrare roata gresita", // 50
        "Calibrare sistem gresita", // 51
        "----", // 52
        "Unitatea de control este OPRITA", // 53
        "Porniti-o sau apasati butonul pentru a reveni", // 54
        "Produs de", // 55
        "gprmon - open-source GPR monitor", // 56
        "Antena veche sau LIPSA a fost detectata", // 57
        "Schimbati-o sau apasati butonul pentru a reveni", // 58
        "OK", // 59
        "Unitate de control gresita", // 60
        "Conectati una potrivita sau apasati butonul pentru a iesi", // 61
        "Doriti sa iesiti ?", // 62
        "Eroare de masurare", // 63
        "Încarcare capturi de ecran", // 64
        "Încarcare marcaje GPS", // 65
    },
};
