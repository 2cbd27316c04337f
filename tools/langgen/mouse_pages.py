# Texts of the device pages: sensor, advanced, buttons, macros, lighting.
# Each row: key, then en, zh-CN, zh-TW, ja, ko, ru, es, pt, tr, pl, ar.


def _ar_count(n, one, few):
    if n == 2:
        return {'ثانية': 'ثانيتان', 'دقيقة': 'دقيقتان'}[one]
    return '%d %s' % (n, few if 3 <= n <= 10 else one)


def duration(key):
    """Row for a time stored in units of 10 seconds, keyed by that stored value."""
    s = int(key) * 10
    if s < 60:
        return (key, '%d s' % s, '%d秒' % s, '%d秒' % s, '%d秒' % s, '%d초' % s, '%d с' % s, '%d s' % s,
                '%d s' % s, '%d sn' % s, '%d s' % s, _ar_count(s, 'ثانية', 'ثوانٍ'))
    m = s // 60
    return (key, '%d min' % m, '%d分钟' % m, '%d分鐘' % m, '%d分' % m, '%d분' % m, '%d мин' % m, '%d min' % m,
            '%d min' % m, '%d dk' % m, '%d min' % m, _ar_count(m, 'دقيقة', 'دقائق'))


TIMEOUT_KEYS = ['1', '3', '6', '12', '18', '30', '60', '90']
SLEEP_KEYS = TIMEOUT_KEYS + ['180', '210', '240']

SENSOR = [
    ('DPISetting', 'DPI settings', 'DPI设置', 'DPI設定', 'DPI設定', 'DPI 설정', 'Настройки DPI', 'Ajustes de DPI', 'Configurações de DPI', 'DPI ayarları', 'Ustawienia DPI', 'إعدادات DPI'),
    ('ReportRate', 'Report rate', '回报率', '回報率', 'ポーリングレート', '폴링 레이트', 'Частота опроса', 'Tasa de sondeo', 'Taxa de sondagem', 'Raporlama hızı', 'Częstotliwość raportowania', 'معدل الإرسال'),
    ('SensorSetting', 'Sensor settings', '传感器设置', '感測器設定', 'センサー設定', '센서 설정', 'Настройки сенсора', 'Ajustes del sensor', 'Configurações do sensor', 'Sensör ayarları', 'Ustawienia sensora', 'إعدادات المستشعر'),
    ('SensorMode', 'Sensor mode', '传感器模式', '感測器模式', 'センサーモード', '센서 모드', 'Режим сенсора', 'Modo del sensor', 'Modo do sensor', 'Sensör modu', 'Tryb sensora', 'وضع المستشعر'),
    ('SensorModeTips', 'Choose how the sensor tracks', '选择传感器的工作模式', '選擇感測器的工作模式', 'センサーの動作モードを選択します', '센서의 동작 모드를 선택합니다', 'Выберите режим работы сенсора', 'Elija cómo rastrea el sensor', 'Escolha como o sensor rastreia', 'Sensörün çalışma modunu seçin', 'Wybierz tryb pracy sensora', 'اختر وضع عمل المستشعر'),
    ('LOD', 'Lift-off distance', '静默高度', '靜默高度', 'リフトオフ距離', '리프트 오프 거리', 'Высота отрыва', 'Distancia de despegue', 'Distância de levantamento', 'Kaldırma mesafesi', 'Wysokość odrywania', 'مسافة الرفع'),
    ('LODTips', 'Height at which the mouse stops tracking when lifted', '鼠标抬起后停止追踪的高度', '滑鼠抬起後停止追蹤的高度', 'マウスを持ち上げたときに追跡を止める高さ', '마우스를 들었을 때 추적을 멈추는 높이', 'Высота, на которой мышь перестаёт отслеживать движение', 'Altura a la que el ratón deja de rastrear al levantarlo', 'Altura em que o mouse para de rastrear ao ser levantado', 'Fare kaldırıldığında izlemeyi bıraktığı yükseklik', 'Wysokość, na której mysz przestaje śledzić ruch', 'الارتفاع الذي تتوقف عنده الفأرة عن التتبع عند رفعها'),
    ('MotionSync', 'Motion Sync', '运动同步', '運動同步', 'モーションシンク', '모션 싱크', 'Синхронизация движения', 'Sincronización de movimiento', 'Sincronização de movimento', 'Hareket senkronizasyonu', 'Synchronizacja ruchu', 'مزامنة الحركة'),
    ('MotionSyncTips', 'Aligns sensor frames with the report rate', '使传感器帧与回报率同步', '使感測器幀與回報率同步', 'センサーのフレームをポーリングレートに同期させます', '센서 프레임을 폴링 레이트와 동기화합니다', 'Синхронизирует кадры сенсора с частотой опроса', 'Sincroniza los fotogramas del sensor con la tasa de sondeo', 'Sincroniza os quadros do sensor com a taxa de sondagem', 'Sensör karelerini raporlama hızıyla eşitler', 'Synchronizuje klatki sensora z częstotliwością raportowania', 'يزامن إطارات المستشعر مع معدل الإرسال'),
    ('Performance', 'Full performance', '全性能模式', '全效能模式', 'フルパフォーマンス', '풀 퍼포먼스', 'Максимальная производительность', 'Rendimiento máximo', 'Desempenho máximo', 'Tam performans', 'Pełna wydajność', 'الأداء الكامل'),
    ('PerformanceTips', 'How long the mouse stays at full performance before it saves power', '鼠标保持全性能后进入省电的时间', '滑鼠保持全效能後進入省電的時間', '省電力に切り替わるまでフルパフォーマンスを保つ時間', '절전으로 전환하기 전까지 풀 퍼포먼스를 유지하는 시간', 'Сколько мышь работает на максимуме, прежде чем экономить энергию', 'Tiempo a pleno rendimiento antes de ahorrar energía', 'Tempo em desempenho máximo antes de economizar energia', 'Farenin güç tasarrufuna geçmeden tam performansta kaldığı süre', 'Czas pełnej wydajności przed przejściem w oszczędzanie energii', 'مدة بقاء الفأرة بالأداء الكامل قبل توفير الطاقة'),
    ('Ripple', 'Ripple control', '波纹控制', '波紋控制', 'リップルコントロール', '리플 컨트롤', 'Подавление дрожания', 'Control de ondulación', 'Controle de ondulação', 'Dalgalanma kontrolü', 'Kontrola falowania', 'التحكم في التموج'),
    ('RippleTips', 'Smooths small jitters of the cursor', '平滑光标的细微抖动', '平滑游標的細微抖動', 'カーソルの細かな揺れを滑らかにします', '커서의 미세한 떨림을 부드럽게 합니다', 'Сглаживает мелкое дрожание курсора', 'Suaviza las pequeñas vibraciones del cursor', 'Suaviza pequenas vibrações do cursor', 'İmlecin küçük titremelerini yumuşatır', 'Wygładza drobne drgania kursora', 'ينعّم الاهتزازات الصغيرة للمؤشر'),
    ('Angle', 'Angle snapping', '直线修正', '直線修正', '直線補正', '직선 보정', 'Выпрямление траектории', 'Corrección de ángulo', 'Correção de ângulo', 'Açı düzeltme', 'Korekcja kąta', 'تصحيح الزاوية'),
    ('AngleTips', 'Straightens movements along the axes', '修正沿坐标轴的移动轨迹', '修正沿座標軸的移動軌跡', '軸に沿った動きをまっすぐに補正します', '축을 따라 움직임을 곧게 보정합니다', 'Выпрямляет движения вдоль осей', 'Endereza los movimientos a lo largo de los ejes', 'Endireita os movimentos ao longo dos eixos', 'Eksenler boyunca hareketleri düzeltir', 'Prostuje ruchy wzdłuż osi', 'يقوّم الحركات على طول المحاور'),
    ('DPILevels', 'DPI levels', 'DPI档位', 'DPI檔位', 'DPIレベル数', 'DPI 단계', 'Уровни DPI', 'Niveles de DPI', 'Níveis de DPI', 'DPI seviyeleri', 'Poziomy DPI', 'مستويات DPI'),
    ('XYSeparate', 'Separate X-Y', 'X-Y分轴', 'X-Y分軸', 'X-Y個別設定', 'X-Y 개별 설정', 'Раздельно X-Y', 'X-Y por separado', 'X-Y separados', 'Ayrı X-Y', 'Osobno X-Y', 'X-Y منفصلان'),
    ('SameXY', 'Same as X', '与X相同', '與X相同', 'Xと同じ', 'X와 동일', 'Как X', 'Igual que X', 'Igual a X', 'X ile aynı', 'Jak X', 'مثل X'),
]
SENSOR += [duration(k) for k in TIMEOUT_KEYS]

ADVANCED = [
    ('AdvancedSettings', 'Advanced settings', '高级设置', '進階設定', '詳細設定', '고급 설정', 'Расширенные настройки', 'Ajustes avanzados', 'Configurações avançadas', 'Gelişmiş ayarlar', 'Ustawienia zaawansowane', 'الإعدادات المتقدمة'),
# AdvancedSettings
    ('SleepTime', 'Sleep time', '休眠时间', '休眠時間', 'スリープ時間', '절전 시간', 'Время до сна', 'Tiempo de reposo', 'Tempo de repouso', 'Uyku süresi', 'Czas uśpienia', 'وقت السكون'),
    ('SleepTimeTips', 'Idle time before the mouse goes to sleep', '鼠标无操作后进入休眠的时间', '滑鼠無操作後進入休眠的時間', '操作がないときにマウスがスリープするまでの時間', '사용하지 않을 때 마우스가 절전 상태가 되기까지의 시간', 'Время бездействия до перехода мыши в сон', 'Tiempo sin uso antes de que el ratón entre en reposo', 'Tempo ocioso até o mouse entrar em repouso', 'Farenin uykuya geçmeden önceki boşta kalma süresi', 'Czas bezczynności do uśpienia myszy', 'مدة الخمول قبل دخول الفأرة في السكون'),
    ('Scanning', '20K FPS mode', '20K帧率模式', '20K幀率模式', '20K FPSモード', '20K FPS 모드', 'Режим 20K FPS', 'Modo 20K FPS', 'Modo 20K FPS', '20K FPS modu', 'Tryb 20K FPS', 'وضع 20K FPS'),
    ('scanningTips', 'The sensor captures 20,000 frames per second for smoother tracking; uses more power', '传感器以每秒20000帧工作，追踪更流畅，耗电更多', '感測器以每秒20000幀工作，追蹤更流暢，耗電更多', 'センサーが毎秒20,000フレームで動作し追跡が滑らかになります（消費電力増）', '센서가 초당 20,000 프레임으로 작동해 추적이 부드러워집니다(전력 소모 증가)', 'Сенсор снимает 20 000 кадров в секунду: движение плавнее, расход энергии выше', 'El sensor captura 20.000 fotogramas por segundo: más fluido, más consumo', 'O sensor captura 20.000 quadros por segundo: mais suave, mais consumo', 'Sensör saniyede 20.000 kare yakalar; daha akıcı izler, daha çok güç harcar', 'Sensor rejestruje 20 000 klatek na sekundę: płynniej, ale większy pobór energii', 'يلتقط المستشعر 20000 إطار في الثانية لتتبع أنعم مع استهلاك أكبر للطاقة'),
    ('LongDistance', 'Long-range mode', '远距离模式', '遠距離模式', '長距離モード', '장거리 모드', 'Режим дальней связи', 'Modo de largo alcance', 'Modo de longo alcance', 'Uzun menzil modu', 'Tryb dalekiego zasięgu', 'وضع المدى البعيد'),
    ('LongDistanceTips', 'Raises the wireless range of the receiver; uses more power', '提高接收器的无线传输距离，耗电更多', '提高接收器的無線傳輸距離，耗電更多', 'レシーバーの無線到達距離を伸ばします（消費電力増）', '수신기의 무선 거리를 늘립니다(전력 소모 증가)', 'Увеличивает дальность связи с приёмником, расход энергии выше', 'Aumenta el alcance inalámbrico del receptor; consume más', 'Aumenta o alcance sem fio do receptor; consome mais', 'Alıcının kablosuz menzilini artırır; daha çok güç harcar', 'Zwiększa zasięg odbiornika, ale zużywa więcej energii', 'يزيد مدى الاتصال اللاسلكي لجهاز الاستقبال مع استهلاك أكبر للطاقة'),
    ('AngularMode', 'Angle tuning', '角度调节', '角度調節', '角度調整', '각도 조정', 'Поворот осей', 'Ajuste de ángulo', 'Ajuste de ângulo', 'Açı ayarı', 'Regulacja kąta', 'ضبط الزاوية'),
    ('AngularModeTips', 'Rotates the sensor axes to match the way you hold the mouse', '旋转传感器坐标轴以适应握持角度', '旋轉感測器座標軸以配合握持角度', '持ち方に合わせてセンサーの軸を回転させます', '마우스를 쥐는 방식에 맞게 센서 축을 회전합니다', 'Поворачивает оси сенсора под ваш хват мыши', 'Gira los ejes del sensor según cómo sujeta el ratón', 'Gira os eixos do sensor conforme a sua pegada', 'Sensör eksenlerini fareyi tutuşunuza göre döndürür', 'Obraca osie sensora zgodnie z chwytem myszy', 'يدير محاور المستشعر لتناسب طريقة إمساكك بالفأرة'),
    ('TriggerPoint', 'Trigger point', '触发点', '觸發點', 'トリガーポイント', '트리거 지점', 'Точка срабатывания', 'Punto de activación', 'Ponto de acionamento', 'Tetik noktası', 'Punkt zadziałania', 'نقطة التفعيل'),
    ('TriggerOnPress', 'Trigger on press', '按下即触发', '按下即觸發', '押した瞬間に反応', '누르면 바로 작동', 'При нажатии', 'Al pulsar', 'Ao pressionar', 'Basınca tetikle', 'Przy wciśnięciu', 'التفعيل عند الضغط'),
    ('TriggerAtBottom', 'Trigger at the bottom', '按至底触发', '按至底觸發', '底まで押して反応', '끝까지 누르면 작동', 'При полном нажатии', 'Al llegar al fondo', 'Ao chegar ao fundo', 'Sonuna kadar basınca tetikle', 'Po dociśnięciu do końca', 'التفعيل عند الضغط الكامل'),
    ('LeftButton', 'Left button', '左键', '左鍵', '左ボタン', '왼쪽 버튼', 'Левая кнопка', 'Botón izquierdo', 'Botão esquerdo', 'Sol tuş', 'Lewy przycisk', 'الزر الأيسر'),
    ('RightButton', 'Right button', '右键', '右鍵', '右ボタン', '오른쪽 버튼', 'Правая кнопка', 'Botón derecho', 'Botão direito', 'Sağ tuş', 'Prawy przycisk', 'الزر الأيمن'),
    ('ResponseCurve', 'Response curve', '响应曲线', '響應曲線', '応答カーブ', '응답 곡선', 'Кривая отклика', 'Curva de respuesta', 'Curva de resposta', 'Tepki eğrisi', 'Krzywa reakcji', 'منحنى الاستجابة'),
    ('CurvePreset0', 'Preset 1', '预设1', '預設1', 'プリセット1', '프리셋 1', 'Шаблон 1', 'Preajuste 1', 'Predefinição 1', 'Hazır ayar 1', 'Ustawienie 1', 'إعداد مسبق 1'),
    ('CurvePreset1', 'Preset 2', '预设2', '預設2', 'プリセット2', '프리셋 2', 'Шаблон 2', 'Preajuste 2', 'Predefinição 2', 'Hazır ayar 2', 'Ustawienie 2', 'إعداد مسبق 2'),
    ('CurvePreset2', 'Preset 3', '预设3', '預設3', 'プリセット3', '프리셋 3', 'Шаблон 3', 'Preajuste 3', 'Predefinição 3', 'Hazır ayar 3', 'Ustawienie 3', 'إعداد مسبق 3'),
    ('CurvePreset3', 'Custom', '自定义', '自訂', 'カスタム', '사용자 지정', 'Свой', 'Personalizado', 'Personalizado', 'Özel', 'Własne', 'مخصص'),
    ('TouchKey', 'Touch keys', '触控按键', '觸控按鍵', 'タッチキー', '터치 키', 'Сенсорные клавиши', 'Teclas táctiles', 'Teclas de toque', 'Dokunmatik tuşlar', 'Klawisze dotykowe', 'مفاتيح اللمس'),
    ('TouchTarget', 'Apply to', '应用于', '套用於', '適用先', '적용 대상', 'Применить к', 'Aplicar a', 'Aplicar a', 'Uygula', 'Zastosuj do', 'تطبيق على'),
    ('Both', 'Both', '全部', '全部', '両方', '모두', 'Обе', 'Ambas', 'Ambas', 'Her ikisi', 'Oba', 'كلاهما'),
    ('TouchLevel', 'Sensitivity', '灵敏度', '靈敏度', '感度', '감도', 'Чувствительность', 'Sensibilidad', 'Sensibilidade', 'Hassasiyet', 'Czułość', 'الحساسية'),
    ('TouchVibration', 'Vibration', '振动', '震動', '振動', '진동', 'Вибрация', 'Vibración', 'Vibração', 'Titreşim', 'Wibracje', 'الاهتزاز'),
    ('TouchSound', 'Click sound', '按键音', '按鍵音', 'クリック音', '클릭음', 'Звук нажатия', 'Sonido de clic', 'Som do clique', 'Tıklama sesi', 'Dźwięk kliknięcia', 'صوت النقر'),
    ('Calibration', 'Button calibration', '按键校准', '按鍵校準', 'ボタン校正', '버튼 보정', 'Калибровка кнопок', 'Calibración de botones', 'Calibração dos botões', 'Tuş kalibrasyonu', 'Kalibracja przycisków', 'معايرة الأزرار'),
    ('StartCalibration', 'Start calibration', '开始校准', '開始校準', '校正開始', '보정 시작', 'Начать калибровку', 'Iniciar calibración', 'Iniciar calibração', 'Kalibrasyonu başlat', 'Rozpocznij kalibrację', 'بدء المعايرة'),
    ('CalibrationSteps', 'Calibration steps:', '校准步骤:', '校準步驟:', '校正の手順:', '보정 단계:', 'Шаги калибровки:', 'Pasos de calibración:', 'Passos da calibração:', 'Kalibrasyon adımları:', 'Kroki kalibracji:', 'خطوات المعايرة:'),
    ('CalibrationStep1', '1. Click Start calibration', '1. 点击开始校准', '1. 點擊開始校準', '1. 「校正開始」を押します', '1. 보정 시작을 누릅니다', '1. Нажмите «Начать калибровку»', '1. Pulse Iniciar calibración', '1. Clique em Iniciar calibração', '1. Kalibrasyonu başlat düğmesine basın', '1. Kliknij Rozpocznij kalibrację', '1. اضغط بدء المعايرة'),
    ('CalibrationStep2', '2. Press the left button all the way down and release it', '2. 将左键按到底后松开', '2. 將左鍵按到底後放開', '2. 左ボタンを底まで押して離します', '2. 왼쪽 버튼을 끝까지 눌렀다 뗍니다', '2. Нажмите левую кнопку до упора и отпустите', '2. Pulse el botón izquierdo hasta el fondo y suéltelo', '2. Pressione o botão esquerdo até o fim e solte', '2. Sol tuşa sonuna kadar basıp bırakın', '2. Wciśnij lewy przycisk do końca i puść', '2. اضغط الزر الأيسر حتى النهاية ثم حرره'),
    ('CalibrationStep3', '3. Press the right button all the way down and release it', '3. 将右键按到底后松开', '3. 將右鍵按到底後放開', '3. 右ボタンを底まで押して離します', '3. 오른쪽 버튼을 끝까지 눌렀다 뗍니다', '3. Нажмите правую кнопку до упора и отпустите', '3. Pulse el botón derecho hasta el fondo y suéltelo', '3. Pressione o botão direito até o fim e solte', '3. Sağ tuşa sonuna kadar basıp bırakın', '3. Wciśnij prawy przycisk do końca i puść', '3. اضغط الزر الأيمن حتى النهاية ثم حرره'),
    ('CalibrationStep4', '4. Wait until both buttons are marked as done', '4. 等待两个按键都显示完成', '4. 等待兩個按鍵都顯示完成', '4. 両方のボタンが完了になるまで待ちます', '4. 두 버튼이 모두 완료될 때까지 기다립니다', '4. Дождитесь отметки о завершении для обеих кнопок', '4. Espere a que ambos botones aparezcan como listos', '4. Aguarde até os dois botões aparecerem como concluídos', '4. İki tuşun da tamamlandı olarak işaretlenmesini bekleyin', '4. Poczekaj, aż oba przyciski zostaną oznaczone jako gotowe', '4. انتظر حتى يظهر الزران كمكتملين'),
    ('VirtualPoint', 'Virtual centre point', '虚拟中心点', '虛擬中心點', '仮想中心点', '가상 중심점', 'Виртуальный центр', 'Punto central virtual', 'Ponto central virtual', 'Sanal merkez noktası', 'Wirtualny punkt środkowy', 'نقطة المركز الافتراضية'),
    ('VirtualPointTips', 'Moves the point the sensor reads from up or down', '上下移动传感器的读取点', '上下移動感測器的讀取點', 'センサーが読み取る位置を上下に移動します', '센서가 읽는 지점을 위아래로 옮깁니다', 'Смещает точку считывания сенсора вверх или вниз', 'Mueve hacia arriba o abajo el punto que lee el sensor', 'Move para cima ou para baixo o ponto lido pelo sensor', 'Sensörün okuduğu noktayı yukarı veya aşağı taşır', 'Przesuwa punkt odczytu sensora w górę lub w dół', 'يحرّك نقطة قراءة المستشعر إلى الأعلى أو الأسفل'),
    ('Up', 'Up', '上', '上', '上', '위', 'Вверх', 'Arriba', 'Cima', 'Yukarı', 'W górę', 'أعلى'),
    ('Down', 'Down', '下', '下', '下', '아래', 'Вниз', 'Abajo', 'Baixo', 'Aşağı', 'W dół', 'أسفل'),
    ('TabPerformance', 'Performance', '性能', '效能', 'パフォーマンス', '성능', 'Производительность', 'Rendimiento', 'Desempenho', 'Performans', 'Wydajność', 'الأداء'),
    ('TabTrigger', 'Trigger', '触发', '觸發', 'トリガー', '트리거', 'Срабатывание', 'Activación', 'Acionamento', 'Tetik', 'Zadziałanie', 'التفعيل'),
    ('TabCurve', 'Curve', '曲线', '曲線', 'カーブ', '곡선', 'Кривая', 'Curva', 'Curva', 'Eğri', 'Krzywa', 'المنحنى'),
    ('TabTouch', 'Touch', '触控', '觸控', 'タッチ', '터치', 'Сенсор', 'Táctil', 'Toque', 'Dokunma', 'Dotyk', 'اللمس'),
    ('TabVirtualPoint', 'Centre point', '中心点', '中心點', '中心点', '중심점', 'Центр', 'Punto central', 'Ponto central', 'Merkez noktası', 'Punkt środkowy', 'نقطة المركز'),
]
ADVANCED += [duration(k) for k in SLEEP_KEYS]

KEY = [
    ('KeyDebounceTime', 'Button debounce time', '按钮防抖时间', '按鍵防抖時間', 'ボタンのデバウンス時間', '버튼 디바운스 시간', 'Подавление дребезга кнопок', 'Tiempo de rebote de botones', 'Tempo de debounce dos botões', 'Tuş sıçrama önleme süresi', 'Czas eliminacji drgań przycisków', 'زمن منع ارتداد الأزرار'),
    ('ButtonDown', 'Press', '按下', '按下', '押下', '누름', 'Нажатие', 'Pulsar', 'Pressionar', 'Basma', 'Wciśnięcie', 'ضغط'),
    ('ButtonUp', 'Release', '释放', '放開', '解放', '뗌', 'Отпускание', 'Soltar', 'Soltar', 'Bırakma', 'Zwolnienie', 'إفلات'),
    ('RollerDebounceTime', 'Wheel debounce time', '滚轮防抖时间', '滾輪防抖時間', 'ホイールのデバウンス時間', '휠 디바운스 시간', 'Подавление дребезга колеса', 'Tiempo de rebote de la rueda', 'Tempo de debounce da roda', 'Tekerlek sıçrama önleme süresi', 'Czas eliminacji drgań kółka', 'زمن منع ارتداد العجلة'),
    ('MacroSeond', 'Macro: ', '宏：', '巨集：', 'マクロ：', '매크로: ', 'Макрос: ', 'Macro: ', 'Macro: ', 'Makro: ', 'Makro: ', 'ماكرو: '),
    ('Reset', 'Restore defaults', '恢复默认', '恢復預設', '初期設定に戻す', '기본값 복원', 'Сбросить', 'Restaurar', 'Restaurar', 'Varsayılana dön', 'Przywróć domyślne', 'استعادة الافتراضي'),
    ('ImportData', 'Import', '导入', '匯入', 'インポート', '가져오기', 'Импорт', 'Importar', 'Importar', 'İçe aktar', 'Importuj', 'استيراد'),
    ('OutputData', 'Export', '导出', '匯出', 'エクスポート', '내보내기', 'Экспорт', 'Exportar', 'Exportar', 'Dışa aktar', 'Eksportuj', 'تصدير'),
    ('FileSave', 'Save configuration', '保存配置', '儲存設定', '設定を保存', '구성 저장', 'Сохранить конфигурацию', 'Guardar configuración', 'Salvar configuração', 'Yapılandırmayı kaydet', 'Zapisz konfigurację', 'حفظ الإعدادات'),
    ('SelectFile', 'Open configuration', '选择配置文件', '選擇設定檔', '設定ファイルを開く', '구성 파일 열기', 'Открыть конфигурацию', 'Abrir configuración', 'Abrir configuração', 'Yapılandırma dosyası aç', 'Otwórz konfigurację', 'فتح ملف الإعدادات'),
    ('Profile', 'Profile', '配置', '配置', 'プロファイル', '프로필', 'Профиль', 'Perfil', 'Perfil', 'Profil', 'Profil', 'ملف التعريف'),
    ('MouseFunction', 'Mouse buttons', '鼠标功能', '滑鼠功能', 'マウス機能', '마우스 기능', 'Кнопки мыши', 'Botones del ratón', 'Botões do mouse', 'Fare tuşları', 'Przyciski myszy', 'أزرار الفأرة'),
    ('KeyboardFunction', 'Keyboard', '键盘功能', '鍵盤功能', 'キーボード', '키보드', 'Клавиатура', 'Teclado', 'Teclado', 'Klavye', 'Klawiatura', 'لوحة المفاتيح'),
    ('MultimediaFunction', 'Multimedia', '多媒体', '多媒體', 'マルチメディア', '멀티미디어', 'Мультимедиа', 'Multimedia', 'Multimídia', 'Multimedya', 'Multimedia', 'الوسائط المتعددة'),
    ('MacroFunction', 'Macros', '宏', '巨集', 'マクロ', '매크로', 'Макросы', 'Macros', 'Macros', 'Makrolar', 'Makra', 'وحدات الماكرو'),
    ('DPIFunction', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI', 'DPI'),
    ('OtherFunction', 'Other', '其他', '其他', 'その他', '기타', 'Другое', 'Otros', 'Outros', 'Diğer', 'Inne', 'أخرى'),
    ('DebounceTime', 'Debounce time', '防抖时间', '防抖時間', 'デバウンス時間', '디바운스 시간', 'Подавление дребезга', 'Tiempo de rebote', 'Tempo de debounce', 'Sıçrama önleme', 'Eliminacja drgań', 'زمن منع الارتداد'),
    ('DebounceTimeTips', 'Time the mouse ignores contact bounce after a click', '按键按下后忽略抖动的时间', '按鍵按下後忽略抖動的時間', 'クリック後に接点のばたつきを無視する時間', '클릭 후 접점 떨림을 무시하는 시간', 'Время, в течение которого мышь игнорирует дребезг после щелчка', 'Tiempo que el ratón ignora los rebotes tras un clic', 'Tempo em que o mouse ignora repiques após um clique', 'Tıklamadan sonra temas sıçramasının yok sayıldığı süre', 'Czas ignorowania drgań styków po kliknięciu', 'المدة التي تتجاهل فيها الفأرة ارتداد التلامس بعد النقر'),
    ('FireKey', 'Rapid fire', '火力键', '連發鍵', '連射', '연사', 'Автоогонь', 'Disparo rápido', 'Disparo rápido', 'Hızlı ateş', 'Szybki ogień', 'إطلاق سريع'),
]

MACRO = [
    ('MacroList', 'Macros', '宏列表', '巨集列表', 'マクロ一覧', '매크로 목록', 'Макросы', 'Macros', 'Macros', 'Makrolar', 'Makra', 'وحدات الماكرو'),
    ('StartRecord', 'Start recording', '开始录制', '開始錄製', '記録開始', '녹화 시작', 'Начать запись', 'Iniciar grabación', 'Iniciar gravação', 'Kaydı başlat', 'Rozpocznij nagrywanie', 'بدء التسجيل'),
    ('StopRecord', 'Stop recording', '停止录制', '停止錄製', '記録停止', '녹화 중지', 'Остановить запись', 'Detener grabación', 'Parar gravação', 'Kaydı durdur', 'Zatrzymaj nagrywanie', 'إيقاف التسجيل'),
    ('KeyList', 'Keys', '按键列表', '按鍵列表', 'キー一覧', '키 목록', 'Клавиши', 'Teclas', 'Teclas', 'Tuşlar', 'Klawisze', 'المفاتيح'),
    ('NewMacro', 'New macro', '新建宏', '新增巨集', '新規マクロ', '새 매크로', 'Новый макрос', 'Nueva macro', 'Nova macro', 'Yeni makro', 'Nowe makro', 'ماكرو جديد'),
    ('Delete', 'Delete', '删除', '刪除', '削除', '삭제', 'Удалить', 'Eliminar', 'Excluir', 'Sil', 'Usuń', 'حذف'),
    ('Modify', 'Modify', '修改', '修改', '変更', '수정', 'Изменить', 'Modificar', 'Modificar', 'Değiştir', 'Zmień', 'تعديل'),
    ('Save', 'Save', '保存', '儲存', '保存', '저장', 'Сохранить', 'Guardar', 'Salvar', 'Kaydet', 'Zapisz', 'حفظ'),
    ('AutoDelay', 'Record delays', '自动插入延时', '自動插入延遲', '遅延を記録', '지연 기록', 'Записывать задержки', 'Grabar retardos', 'Gravar atrasos', 'Gecikmeleri kaydet', 'Zapisuj opóźnienia', 'تسجيل التأخيرات'),
    ('DefaultDelay', 'Default delay', '默认延时', '預設延遲', '既定の遅延', '기본 지연', 'Задержка по умолчанию', 'Retardo predeterminado', 'Atraso padrão', 'Varsayılan gecikme', 'Domyślne opóźnienie', 'التأخير الافتراضي'),
    ('randomDelay', 'Random delay', '随机延时', '隨機延遲', 'ランダム遅延', '무작위 지연', 'Случайная задержка', 'Retardo aleatorio', 'Atraso aleatório', 'Rastgele gecikme', 'Losowe opóźnienie', 'تأخير عشوائي'),
    ('DelayGrade', '(delay grade)', '(延时档位)', '(延遲檔位)', '(遅延レベル)', '(지연 단계)', '(уровень задержки)', '(nivel de retardo)', '(nível de atraso)', '(gecikme seviyesi)', '(poziom opóźnienia)', '(مستوى التأخير)'),
    ('CycleTimes', 'Repeat times', '循环次数', '循環次數', '繰り返し回数', '반복 횟수', 'Повторить раз', 'Repetir veces', 'Repetir vezes', 'Tekrar sayısı', 'Powtórz razy', 'عدد التكرار'),
    ('UntilThisPressed', 'Until this key is pressed again', '循环直到此键再次按下', '循環直到此鍵再次按下', 'このキーをもう一度押すまで', '이 키를 다시 누를 때까지', 'Пока эта клавиша не нажата снова', 'Hasta volver a pulsar esta tecla', 'Até pressionar esta tecla novamente', 'Bu tuşa yeniden basılana kadar', 'Do ponownego wciśnięcia tego klawisza', 'حتى الضغط على هذا المفتاح مجددًا'),
    ('UntilThisReleased', 'Until this key is released', '循环直到此键松开', '循環直到此鍵放開', 'このキーを離すまで', '이 키를 뗄 때까지', 'Пока эта клавиша не отпущена', 'Hasta soltar esta tecla', 'Até soltar esta tecla', 'Bu tuş bırakılana kadar', 'Do puszczenia tego klawisza', 'حتى إفلات هذا المفتاح'),
    ('UntilAnyPressed', 'Until any key is pressed', '循环直到任意键按下', '循環直到任意鍵按下', 'いずれかのキーを押すまで', '아무 키나 누를 때까지', 'Пока не нажата любая клавиша', 'Hasta pulsar cualquier tecla', 'Até pressionar qualquer tecla', 'Herhangi bir tuşa basılana kadar', 'Do wciśnięcia dowolnego klawisza', 'حتى الضغط على أي مفتاح'),
    ('InsertEvent', 'Insert event', '插入事件', '插入事件', 'イベントを挿入', '이벤트 삽입', 'Вставить событие', 'Insertar evento', 'Inserir evento', 'Olay ekle', 'Wstaw zdarzenie', 'إدراج حدث'),
    ('0', 'Key press', '按键按下', '按鍵按下', 'キーを押す', '키 누름', 'Нажатие клавиши', 'Pulsar tecla', 'Pressionar tecla', 'Tuşa basma', 'Wciśnięcie klawisza', 'ضغط مفتاح'),
    ('1', 'Key release', '按键释放', '按鍵放開', 'キーを離す', '키 뗌', 'Отпускание клавиши', 'Soltar tecla', 'Soltar tecla', 'Tuşu bırakma', 'Zwolnienie klawisza', 'إفلات مفتاح'),
    ('Delay', 'Delay', '延时', '延遲', '遅延', '지연', 'Задержка', 'Retardo', 'Atraso', 'Gecikme', 'Opóźnienie', 'تأخير'),
    ('2', 'Left button', '左键', '左鍵', '左ボタン', '왼쪽 버튼', 'Левая кнопка', 'Botón izquierdo', 'Botão esquerdo', 'Sol tuş', 'Lewy przycisk', 'الزر الأيسر'),
    ('3', 'Right button', '右键', '右鍵', '右ボタン', '오른쪽 버튼', 'Правая кнопка', 'Botón derecho', 'Botão direito', 'Sağ tuş', 'Prawy przycisk', 'الزر الأيمن'),
    ('4', 'Middle button', '中键', '中鍵', '中ボタン', '가운데 버튼', 'Средняя кнопка', 'Botón central', 'Botão do meio', 'Orta tuş', 'Środkowy przycisk', 'الزر الأوسط'),
    ('5', 'Forward button', '前进键', '前進鍵', '進むボタン', '앞으로 버튼', 'Кнопка «Вперёд»', 'Botón adelante', 'Botão avançar', 'İleri tuşu', 'Przycisk Dalej', 'زر التقدم'),
    ('6', 'Back button', '后退键', '後退鍵', '戻るボタン', '뒤로 버튼', 'Кнопка «Назад»', 'Botón atrás', 'Botão voltar', 'Geri tuşu', 'Przycisk Wstecz', 'زر الرجوع'),
    ('MacroExport', 'Export', '导出宏', '匯出巨集', 'エクスポート', '내보내기', 'Экспорт', 'Exportar', 'Exportar', 'Dışa aktar', 'Eksportuj', 'تصدير'),
    ('MacroImport', 'Import', '导入宏', '匯入巨集', 'インポート', '가져오기', 'Импорт', 'Importar', 'Importar', 'İçe aktar', 'Importuj', 'استيراد'),
    ('Rename', 'Rename', '重命名', '重新命名', '名前を変更', '이름 바꾸기', 'Переименовать', 'Cambiar nombre', 'Renomear', 'Yeniden adlandır', 'Zmień nazwę', 'إعادة التسمية'),
    ('DelayMode', 'Delay', '延时设置', '延遲設定', '遅延設定', '지연 설정', 'Задержки', 'Retardos', 'Atrasos', 'Gecikme', 'Opóźnienia', 'التأخير'),
    ('RepeatMode', 'Repeat', '循环设置', '循環設定', '繰り返し', '반복 설정', 'Повтор', 'Repetición', 'Repetição', 'Tekrar', 'Powtarzanie', 'التكرار'),
]

LIGHT = [
    ('Brightness', 'Brightness', '亮度', '亮度', '明るさ', '밝기', 'Яркость', 'Brillo', 'Brilho', 'Parlaklık', 'Jasność', 'السطوع'),
    ('Speed', 'Speed', '速度', '速度', '速度', '속도', 'Скорость', 'Velocidad', 'Velocidade', 'Hız', 'Prędkość', 'السرعة'),
    ('MovingOffLight', 'Lights off while moving', '移动时关灯', '移動時關燈', '移動中は消灯', '움직일 때 조명 끄기', 'Выключать подсветку при движении', 'Apagar luces al moverse', 'Apagar luzes ao mover', 'Hareket ederken ışıkları kapat', 'Wyłącz podświetlenie podczas ruchu', 'إطفاء الإضاءة أثناء الحركة'),
    ('Preview', 'Preview', '预览', '預覽', 'プレビュー', '미리 보기', 'Предпросмотр', 'Vista previa', 'Pré-visualização', 'Önizleme', 'Podgląd', 'معاينة'),
    ('CustomColor', 'Custom colour', '自定义颜色', '自訂顏色', 'カスタムカラー', '사용자 지정 색상', 'Свой цвет', 'Color personalizado', 'Cor personalizada', 'Özel renk', 'Własny kolor', 'لون مخصص'),
    ('Preset', 'Presets', '预设', '預設', 'プリセット', '프리셋', 'Предустановки', 'Preajustes', 'Predefinições', 'Hazır ayarlar', 'Ustawienia wstępne', 'إعدادات مسبقة'),
    ('R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:', 'R:'),
    ('G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:', 'G:'),
    ('B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:', 'B:'),
    ('LightBar', 'Light bar', '灯带', '燈條', 'ライトバー', '라이트 바', 'Световая полоса', 'Barra de luz', 'Barra de luz', 'Işık şeridi', 'Pasek świetlny', 'شريط الإضاءة'),
    ('Effect', 'Effect', '灯效', '燈效', 'エフェクト', '효과', 'Эффект', 'Efecto', 'Efeito', 'Efekt', 'Efekt', 'التأثير'),
    ('DPILight', 'DPI light', 'DPI灯效', 'DPI燈效', 'DPIライト', 'DPI 조명', 'Индикатор DPI', 'Luz de DPI', 'Luz de DPI', 'DPI ışığı', 'Podświetlenie DPI', 'إضاءة DPI'),
    ('ReceiverLight', 'Receiver light', '接收器灯效', '接收器燈效', 'レシーバーのライト', '수신기 조명', 'Подсветка приёмника', 'Luz del receptor', 'Luz do receptor', 'Alıcı ışığı', 'Podświetlenie odbiornika', 'إضاءة جهاز الاستقبال'),
    ('StatusLed', 'Status light', '状态灯', '狀態燈', 'ステータスランプ', '상태 표시등', 'Индикатор состояния', 'Luz de estado', 'Luz de status', 'Durum ışığı', 'Dioda stanu', 'مؤشر الحالة'),
    ('IndicatorLed', 'Indicator lights', '指示灯', '指示燈', 'インジケーター', '표시등', 'Индикаторы', 'Indicadores', 'Indicadores', 'Gösterge ışıkları', 'Wskaźniki', 'مؤشرات الإضاءة'),
    ('LED1', 'LED 1', '指示灯1', '指示燈1', 'LED 1', 'LED 1', 'Индикатор 1', 'LED 1', 'LED 1', 'LED 1', 'Dioda 1', 'مؤشر 1'),
    ('LED2', 'LED 2', '指示灯2', '指示燈2', 'LED 2', 'LED 2', 'Индикатор 2', 'LED 2', 'LED 2', 'LED 2', 'Dioda 2', 'مؤشر 2'),
    ('LED3', 'LED 3', '指示灯3', '指示燈3', 'LED 3', 'LED 3', 'Индикатор 3', 'LED 3', 'LED 3', 'LED 3', 'Dioda 3', 'مؤشر 3'),
    ('LightOff', 'Lights off after', '关灯时间', '關燈時間', '消灯までの時間', '조명 꺼짐 시간', 'Отключать подсветку через', 'Apagar luces tras', 'Desligar luzes após', 'Işıkları kapatma süresi', 'Wyłącz światła po', 'إطفاء الإضاءة بعد'),
    ('StatusLed1', 'Shows the connection', '显示连接状态', '顯示連線狀態', '接続状態を表示', '연결 상태 표시', 'Показывает связь', 'Muestra la conexión', 'Mostra a conexão', 'Bağlantıyı gösterir', 'Pokazuje połączenie', 'يعرض حالة الاتصال'),
    ('StatusLed2', 'Shows the battery level', '显示电量', '顯示電量', 'バッテリー残量を表示', '배터리 잔량 표시', 'Показывает заряд батареи', 'Muestra la batería', 'Mostra a bateria', 'Pil seviyesini gösterir', 'Pokazuje poziom baterii', 'يعرض مستوى البطارية'),
    ('StatusLed3', 'Always off', '常灭', '常滅', '常に消灯', '항상 꺼짐', 'Всегда выключен', 'Siempre apagado', 'Sempre desligado', 'Her zaman kapalı', 'Zawsze wyłączona', 'مطفأ دائمًا'),
    ('LedMode0', 'Off', '关闭', '關閉', 'オフ', '끄기', 'Выкл.', 'Apagado', 'Desligado', 'Kapalı', 'Wyłączona', 'إيقاف'),
    ('LedMode1', 'Steady', '常亮', '恆亮', '点灯', '켜짐', 'Постоянно', 'Fijo', 'Fixo', 'Sabit', 'Stała', 'ثابت'),
    ('ReceiverOnCable', 'The mouse is on the cable: connect it through its receiver to set the receiver\'s lights', '鼠标正在使用有线连接：请通过接收器连接鼠标后再设置接收器灯光', '滑鼠正在使用有線連線：請透過接收器連線滑鼠後再設定接收器燈光', 'マウスは有線接続中です。レシーバーの照明を設定するには、レシーバー経由で接続してください', '마우스가 유선으로 연결되어 있습니다. 수신기 조명을 설정하려면 수신기로 연결하세요', 'Мышь подключена кабелем: чтобы настроить подсветку приёмника, подключите её через приёмник', 'El ratón está conectado por cable: conéctelo mediante su receptor para ajustar las luces del receptor', 'O mouse está no cabo: conecte-o pelo receptor para ajustar as luzes do receptor', 'Fare kabloyla bağlı: alıcının ışıklarını ayarlamak için fareyi alıcısı üzerinden bağlayın', 'Mysz jest podłączona kablem: podłącz ją przez odbiornik, aby ustawić światła odbiornika', 'الفأرة متصلة بالكابل: صِلها عبر جهاز الاستقبال لضبط إضاءة جهاز الاستقبال'),
    ('ReceiverSilent', 'The mouse does not answer through the receiver; its lights can be set once it does', '鼠标未通过接收器响应；响应后即可设置接收器灯光', '滑鼠未透過接收器回應；回應後即可設定接收器燈光', 'マウスがレシーバー経由で応答していません。応答するとレシーバーの照明を設定できます', '마우스가 수신기를 통해 응답하지 않습니다. 응답하면 수신기 조명을 설정할 수 있습니다', 'Мышь не отвечает через приёмник; подсветку приёмника можно будет настроить, когда она ответит', 'El ratón no responde a través del receptor; podrá ajustar sus luces cuando responda', 'O mouse não responde pelo receptor; será possível ajustar as luzes dele quando responder', 'Fare alıcı üzerinden yanıt vermiyor; yanıt verdiğinde alıcının ışıkları ayarlanabilir', 'Mysz nie odpowiada przez odbiornik; światła odbiornika można ustawić, gdy odpowie', 'الفأرة لا تستجيب عبر جهاز الاستقبال؛ يمكن ضبط إضاءته عندما تستجيب'),
    ('LedMode2', 'Blinking', '闪烁', '閃爍', '点滅', '깜박임', 'Мигает', 'Parpadeo', 'Piscando', 'Yanıp sönen', 'Miga', 'وامض'),
]

# Light-off chooser of the lighting page, keyed "LightOff" + the stored value (units of 10 s).
LIGHT_OFF_KEYS = ['1', '3', '6', '30', '60', '90', '120', '150', '180', '210', '240']
LIGHT += [('LightOff' + k,) + duration(k)[1:] for k in LIGHT_OFF_KEYS]

# Light-bar effects, nested in "light" under "LightMode" and keyed "0".."6".
LIGHT_MODES = [
    ('0', 'Off', '关闭', '關閉', 'オフ', '끄기', 'Выкл.', 'Apagado', 'Desligado', 'Kapalı', 'Wyłączone', 'إيقاف'),
    ('1', 'Colour flow', '彩色流动', '彩色流動', 'カラーフロー', '컬러 흐름', 'Цветной поток', 'Flujo de color', 'Fluxo de cores', 'Renk akışı', 'Płynące kolory', 'تدفق الألوان'),
    ('2', 'Breathing', '单色呼吸', '單色呼吸', '単色ブリージング', '단색 호흡', 'Дыхание', 'Respiración', 'Respiração', 'Nefes', 'Oddychanie', 'تنفس'),
    ('3', 'Mixed steady', '混色常亮', '混色恆亮', 'ミックス点灯', '혼합 색상 고정', 'Смешанный постоянный', 'Mezcla fija', 'Mistura fixa', 'Karışık sabit', 'Mieszane stałe', 'ألوان ثابتة'),
    ('4', 'Neon', '霓虹', '霓虹', 'ネオン', '네온', 'Неон', 'Neón', 'Neon', 'Neon', 'Neon', 'نيون'),
    ('5', 'Mixed breathing', '混彩呼吸', '混彩呼吸', 'ミックスブリージング', '혼합 호흡', 'Смешанное дыхание', 'Respiración mixta', 'Respiração mista', 'Karışık nefes', 'Mieszane oddychanie', 'تنفس متعدد الألوان'),
    ('6', 'Custom', '自定义', '自訂', 'カスタム', '사용자 지정', 'Свой', 'Personalizado', 'Personalizado', 'Özel', 'Własny', 'مخصص'),
]
