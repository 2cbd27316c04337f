# Option lists of the mouse section. Rows: value, then the eleven texts (en, zh-CN, zh-TW, ja, ko, ru,
# es, pt, tr, pl, ar).
from mouse_pages import MACRO, LIGHT_MODES, SLEEP_KEYS, duration

# Button functions by label key (value text → label). Sub-functions of a group are keyed
# group + "-" + param1, so every on-screen function has its own label.
KEY_OPTIONS = [
    ('0', 'Disabled', '待定义按键', '待定義按鍵', '無効', '사용 안 함', 'Отключено', 'Desactivado', 'Desativado', 'Devre dışı', 'Wyłączony', 'معطّل'),
    ('0x0100', 'Left click', '左键', '左鍵', '左クリック', '왼쪽 클릭', 'Левый щелчок', 'Clic izquierdo', 'Clique esquerdo', 'Sol tık', 'Lewy klik', 'نقرة يسرى'),
    ('0x0200', 'Right click', '右键', '右鍵', '右クリック', '오른쪽 클릭', 'Правый щелчок', 'Clic derecho', 'Clique direito', 'Sağ tık', 'Prawy klik', 'نقرة يمنى'),
    ('0x0400', 'Middle click', '中键', '中鍵', '中クリック', '가운데 클릭', 'Средний щелчок', 'Clic central', 'Clique do meio', 'Orta tık', 'Środkowy klik', 'نقرة وسطى'),
    ('0x0800', 'Back', '后退键', '後退鍵', '戻る', '뒤로', 'Назад', 'Atrás', 'Voltar', 'Geri', 'Wstecz', 'رجوع'),
    ('0x1000', 'Forward', '前进键', '前進鍵', '進む', '앞으로', 'Вперёд', 'Adelante', 'Avançar', 'İleri', 'Dalej', 'تقدم'),
    ('2', 'DPI switch', 'DPI切换', 'DPI切換', 'DPI切替', 'DPI 전환', 'Переключение DPI', 'Cambio de DPI', 'Troca de DPI', 'DPI değiştirme', 'Przełączanie DPI', 'تبديل DPI'),
    ('2-1', 'DPI cycle', 'DPI循环', 'DPI循環', 'DPIサイクル', 'DPI 순환', 'DPI по кругу', 'Ciclo de DPI', 'Ciclo de DPI', 'DPI döngüsü', 'Cykl DPI', 'تدوير DPI'),
    ('2-2', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+', 'DPI+'),
    ('2-3', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-', 'DPI-'),
    ('3', 'Wheel left/right', '鼠标左/右滚', '滑鼠左/右滾', 'ホイール左/右', '휠 왼쪽/오른쪽', 'Колесо влево/вправо', 'Rueda izq./der.', 'Roda esq./dir.', 'Tekerlek sol/sağ', 'Kółko w lewo/prawo', 'العجلة يسار/يمين'),
    ('3-1', 'Wheel left', '左滚', '左滾', 'ホイール左', '휠 왼쪽', 'Колесо влево', 'Rueda izquierda', 'Roda para a esquerda', 'Tekerlek sola', 'Kółko w lewo', 'العجلة لليسار'),
    ('3-2', 'Wheel right', '右滚', '右滾', 'ホイール右', '휠 오른쪽', 'Колесо вправо', 'Rueda derecha', 'Roda para a direita', 'Tekerlek sağa', 'Kółko w prawo', 'العجلة لليمين'),
    ('4', 'Rapid fire', '火力键', '連發鍵', '連射', '연사', 'Автоогонь', 'Disparo rápido', 'Disparo rápido', 'Hızlı ateş', 'Szybki ogień', 'إطلاق سريع'),
    ('5', 'Key combination', '组合键', '組合鍵', 'キーの組み合わせ', '키 조합', 'Сочетание клавиш', 'Combinación de teclas', 'Combinação de teclas', 'Tuş kombinasyonu', 'Kombinacja klawiszy', 'مجموعة مفاتيح'),
    ('1005', 'Multimedia', '多媒体功能', '多媒體功能', 'マルチメディア', '멀티미디어', 'Мультимедиа', 'Multimedia', 'Multimídia', 'Multimedya', 'Multimedia', 'الوسائط المتعددة'),
    ('6', 'Macro', '宏定义', '巨集', 'マクロ', '매크로', 'Макрос', 'Macro', 'Macro', 'Makro', 'Makro', 'ماكرو'),
    ('7', 'Report rate switch', '切换报告率', '切換回報率', 'レート切替', '폴링 레이트 전환', 'Смена частоты опроса', 'Cambiar tasa de sondeo', 'Trocar taxa de sondagem', 'Raporlama hızını değiştir', 'Zmiana częstotliwości', 'تبديل معدل الإرسال'),
    ('8', 'Lights on/off', '开关装饰灯', '開關裝飾燈', 'ライトのオン/オフ', '조명 켜기/끄기', 'Вкл./выкл. подсветку', 'Encender/apagar luces', 'Ligar/desligar luzes', 'Işıkları aç/kapat', 'Włącz/wyłącz światła', 'تشغيل/إيقاف الإضاءة'),
    ('8-0', 'All lights on/off', '开/关所有装饰灯', '開/關所有裝飾燈', '全ライトのオン/オフ', '모든 조명 켜기/끄기', 'Вся подсветка вкл./выкл.', 'Todas las luces on/off', 'Todas as luzes lig./desl.', 'Tüm ışıklar aç/kapat', 'Wszystkie światła wł./wył.', 'كل الإضاءة تشغيل/إيقاف'),
    ('8-1', 'DPI light on/off', '开/关DPI指示灯', '開/關DPI指示燈', 'DPIランプのオン/オフ', 'DPI 표시등 켜기/끄기', 'Индикатор DPI вкл./выкл.', 'Luz de DPI on/off', 'Luz de DPI lig./desl.', 'DPI ışığı aç/kapat', 'Wskaźnik DPI wł./wył.', 'مؤشر DPI تشغيل/إيقاف'),
    ('8-3', 'Light bar on/off', '开/关灯带', '開/關燈條', 'ライトバーのオン/オフ', '라이트 바 켜기/끄기', 'Световая полоса вкл./выкл.', 'Barra de luz on/off', 'Barra de luz lig./desl.', 'Işık şeridi aç/kapat', 'Pasek świetlny wł./wył.', 'شريط الإضاءة تشغيل/إيقاف'),
    ('8-4', 'Next light effect', '循环切换灯带效果', '循環切換燈條效果', '次のライト効果', '다음 조명 효과', 'Следующий эффект', 'Siguiente efecto de luz', 'Próximo efeito de luz', 'Sonraki ışık efekti', 'Następny efekt', 'تأثير الإضاءة التالي'),
    ('9', 'Profile switch', '配置切换', '配置切換', 'プロファイル切替', '프로필 전환', 'Смена профиля', 'Cambiar perfil', 'Trocar perfil', 'Profil değiştir', 'Zmiana profilu', 'تبديل ملف التعريف'),
    ('DPI Lock', 'DPI Lock', 'DPI锁定', 'DPI鎖定', 'DPIロック', 'DPI 고정', 'Фиксация DPI', 'Bloqueo de DPI', 'Trava de DPI', 'DPI kilidi', 'Blokada DPI', 'قفل DPI'),
    ('B', 'Wheel up/down', '鼠标上/下滚', '滑鼠上/下滾', 'ホイール上/下', '휠 위/아래', 'Колесо вверх/вниз', 'Rueda arriba/abajo', 'Roda cima/baixo', 'Tekerlek yukarı/aşağı', 'Kółko w górę/dół', 'العجلة أعلى/أسفل'),
    ('B-1', 'Wheel up', '上滚', '上滾', 'ホイール上', '휠 위로', 'Колесо вверх', 'Rueda arriba', 'Roda para cima', 'Tekerlek yukarı', 'Kółko w górę', 'العجلة للأعلى'),
    ('B-2', 'Wheel down', '下滚', '下滾', 'ホイール下', '휠 아래로', 'Колесо вниз', 'Rueda abajo', 'Roda para baixo', 'Tekerlek aşağı', 'Kółko w dół', 'العجلة للأسفل'),
    ('0x0183', 'Media player', '播放器', '播放器', 'メディアプレーヤー', '미디어 플레이어', 'Медиаплеер', 'Reproductor', 'Player de mídia', 'Medya oynatıcı', 'Odtwarzacz', 'مشغل الوسائط'),
    ('0x00CD', 'Play/Pause', '播放/暂停', '播放/暫停', '再生/一時停止', '재생/일시 정지', 'Воспр./пауза', 'Reproducir/Pausa', 'Reproduzir/Pausar', 'Oynat/Duraklat', 'Odtwórz/Pauza', 'تشغيل/إيقاف مؤقت'),
    ('0x00B5', 'Next track', '下一曲', '下一首', '次の曲', '다음 트랙', 'Следующий трек', 'Pista siguiente', 'Próxima faixa', 'Sonraki parça', 'Następny utwór', 'المقطع التالي'),
    ('0x00B6', 'Previous track', '上一曲', '上一首', '前の曲', '이전 트랙', 'Предыдущий трек', 'Pista anterior', 'Faixa anterior', 'Önceki parça', 'Poprzedni utwór', 'المقطع السابق'),
    ('0x00B7', 'Stop', '停止播放', '停止播放', '停止', '정지', 'Стоп', 'Detener', 'Parar', 'Durdur', 'Stop', 'إيقاف'),
    ('0x00E2', 'Mute', '静音', '靜音', 'ミュート', '음소거', 'Без звука', 'Silenciar', 'Mudo', 'Sessiz', 'Wycisz', 'كتم الصوت'),
    ('0x00E9', 'Volume up', '音量加', '音量加', '音量を上げる', '볼륨 높이기', 'Громче', 'Subir volumen', 'Aumentar volume', 'Sesi aç', 'Głośniej', 'رفع الصوت'),
    ('0x00EA', 'Volume down', '音量减', '音量減', '音量を下げる', '볼륨 낮추기', 'Тише', 'Bajar volumen', 'Diminuir volume', 'Sesi kıs', 'Ciszej', 'خفض الصوت'),
    ('0x018A', 'Mail', '邮件', '郵件', 'メール', '메일', 'Почта', 'Correo', 'E-mail', 'E-posta', 'Poczta', 'البريد'),
    ('0x0192', 'Calculator', '计算器', '計算機', '電卓', '계산기', 'Калькулятор', 'Calculadora', 'Calculadora', 'Hesap makinesi', 'Kalkulator', 'الآلة الحاسبة'),
    ('0x0194', 'My computer', '我的电脑', '我的電腦', 'マイコンピューター', '내 컴퓨터', 'Мой компьютер', 'Mi equipo', 'Meu computador', 'Bilgisayarım', 'Mój komputer', 'جهاز الكمبيوتر'),
    ('0x0223', 'Browser home', '主页', '首頁', 'ホーム', '홈', 'Домашняя страница', 'Página de inicio', 'Página inicial', 'Ana sayfa', 'Strona główna', 'الصفحة الرئيسية'),
    ('0x0221', 'Search', '搜索', '搜尋', '検索', '검색', 'Поиск', 'Buscar', 'Pesquisar', 'Ara', 'Szukaj', 'بحث'),
    ('0x0225', 'Browser forward', '前进', '前進', 'ブラウザーで進む', '브라우저 앞으로', 'Вперёд в браузере', 'Adelante en navegador', 'Avançar no navegador', 'Tarayıcıda ileri', 'Dalej w przeglądarce', 'تقدم في المتصفح'),
    ('0x0224', 'Browser back', '后退', '後退', 'ブラウザーで戻る', '브라우저 뒤로', 'Назад в браузере', 'Atrás en navegador', 'Voltar no navegador', 'Tarayıcıda geri', 'Wstecz w przeglądarce', 'رجوع في المتصفح'),
    ('0x0226', 'Stop loading', '停止网页', '停止網頁', '読み込み中止', '로딩 중지', 'Остановить загрузку', 'Detener carga', 'Parar carregamento', 'Yüklemeyi durdur', 'Zatrzymaj ładowanie', 'إيقاف التحميل'),
    ('0x0227', 'Refresh', '刷新', '重新整理', '更新', '새로 고침', 'Обновить', 'Actualizar página', 'Atualizar página', 'Yenile', 'Odśwież', 'تحديث الصفحة'),
    ('0x022A', 'Favourites', '收藏夹', '我的最愛', 'お気に入り', '즐겨찾기', 'Избранное', 'Favoritos', 'Favoritos', 'Sık kullanılanlar', 'Ulubione', 'المفضلة'),
]

_HZ = ('Hz', 'Hz', 'Hz', 'Hz', 'Hz', 'Гц', 'Hz', 'Hz', 'Hz', 'Hz', 'هرتز')
REPORT_RATES = [(r,) + tuple('%d %s' % (r, u) for u in _HZ) for r in (125, 250, 500, 1000, 2000, 4000, 8000)]

_NEVER = ('Never', '从不', '永不', 'なし', '안 함', 'Никогда', 'Nunca', 'Nunca', 'Asla', 'Nigdy', 'أبدًا')
LIGHT_OFF_TIMES = [(0,) + _NEVER] + [(int(k),) + duration(k)[1:] for k in ('6', '30', '60', '180')]

# Insert-event commands of the macro editor, 1..8 in menu order.
_BY_KEY = {r[0]: r for r in MACRO}
INSERT_EVENTS = [(i + 1,) + _BY_KEY[k][1:] for i, k in enumerate(['0', '1', 'Delay', '2', '3', '4', '5', '6'])]

# Pages of the main frame by stack index.
TABS = [
    (0, 'Overview', '概览', '概覽', '概要', '개요', 'Обзор', 'Resumen', 'Resumo', 'Genel bakış', 'Przegląd', 'نظرة عامة'),
    (1, 'Buttons', '按键', '按鍵', 'ボタン', '버튼', 'Кнопки', 'Botones', 'Botões', 'Tuşlar', 'Przyciski', 'الأزرار'),
    (2, 'Sensor', '传感器', '感測器', 'センサー', '센서', 'Сенсор', 'Sensor', 'Sensor', 'Sensör', 'Sensor', 'المستشعر'),
    (3, 'Macros', '宏', '巨集', 'マクロ', '매크로', 'Макросы', 'Macros', 'Macros', 'Makrolar', 'Makra', 'الماكرو'),
    (4, 'Lighting', '灯光', '燈光', 'ライティング', '조명', 'Подсветка', 'Iluminación', 'Iluminação', 'Aydınlatma', 'Oświetlenie', 'الإضاءة'),
    (5, 'Advanced', '高级', '進階', '詳細', '고급', 'Дополнительно', 'Avanzado', 'Avançado', 'Gelişmiş', 'Zaawansowane', 'متقدم'),
    (6, 'Settings', '设置', '設定', '設定', '설정', 'Настройки', 'Ajustes', 'Configurações', 'Ayarlar', 'Ustawienia', 'الإعدادات'),
]

DPI_MODES = [
    (0, 'Linked X-Y', 'X-Y同步', 'X-Y同步', 'X-Y連動', 'X-Y 연동', 'X-Y вместе', 'X-Y vinculados', 'X-Y vinculados', 'Bağlı X-Y', 'Wspólne X-Y', 'X-Y مرتبطان'),
    (1, 'Separate X-Y', 'X-Y分轴', 'X-Y分軸', 'X-Y個別', 'X-Y 개별', 'Раздельно X-Y', 'X-Y por separado', 'X-Y separados', 'Ayrı X-Y', 'Osobno X-Y', 'X-Y منفصلان'),
]

# "Profile 1": the profile chooser drops every "1" to get the word, then numbers its items.
_PROFILE = ('Profile ', '配置', '配置', 'プロファイル', '프로필 ', 'Профиль ', 'Perfil ', 'Perfil ', 'Profil ',
            'Profil ', 'ملف التعريف ')
PROFILES = [(k,) + tuple(w + str(k + 1) for w in _PROFILE) for k in range(5)]

DPI_EFFECTS = [
    (0, 'Off', '关闭', '關閉', 'オフ', '끄기', 'Выкл.', 'Apagado', 'Desligado', 'Kapalı', 'Wyłączone', 'إيقاف'),
    (1, 'Steady', '常亮', '恆亮', '点灯', '켜짐', 'Постоянно', 'Fijo', 'Fixo', 'Sabit', 'Stałe', 'ثابت'),
    (2, 'Breathing', '呼吸', '呼吸', 'ブリージング', '호흡', 'Дыхание', 'Respiración', 'Respiração', 'Nefes', 'Oddychanie', 'تنفس'),
]

LIGHT_MODE_OPTIONS = [(int(r[0]),) + r[1:] for r in LIGHT_MODES]

# Receiver classes by polling class (1K, 2K, 4K, 8K receivers).
RECEIVERS = [(c,) + tuple(t % c for t in (
    '%dK receiver', '%dK接收器', '%dK接收器', '%dKレシーバー', '%dK 수신기', 'Приёмник %dK', 'Receptor %dK',
    'Receptor %dK', '%dK alıcı', 'Odbiornik %dK', 'جهاز استقبال %dK')) for c in (1, 2, 4, 8)]

# Lift-off distances keyed by tenths of a millimetre.
def _mm(tenths):
    whole = '%g' % (tenths / 10)
    comma = whole.replace('.', ',')
    return (tenths, whole + 'mm', whole + 'mm', whole + 'mm', whole + 'mm', whole + 'mm', comma + ' мм',
            comma + ' mm', comma + ' mm', comma + ' mm', comma + ' mm', whole + ' مم')
LODS = [_mm(t) for t in (7, 9, 10, 12, 14, 16, 20)]

PERFORMANCE = [(int(k),) + duration(k)[1:] for k in SLEEP_KEYS]

SENSOR_MODES = [
    (0, 'Corded', '有线模式', '有線模式', '有線モード', '유선 모드', 'Проводной', 'Con cable', 'Com fio', 'Kablolu', 'Przewodowy', 'سلكي'),
    (1, 'High performance', '高性能', '高效能', '高性能', '고성능', 'Высокая производительность', 'Alto rendimiento', 'Alto desempenho', 'Yüksek performans', 'Wysoka wydajność', 'أداء عالٍ'),
    (2, 'Low power', '低功耗', '低功耗', '低消費電力', '저전력', 'Экономный', 'Bajo consumo', 'Baixo consumo', 'Düşük güç', 'Niski pobór', 'طاقة منخفضة'),
]

# Behaviours 1..3 of the receiver's status LED.
STATUS_DESCRIPTIONS = [
    ('1', 'Battery level', '显示电量', '顯示電量', 'バッテリー残量', '배터리 잔량', 'Уровень заряда', 'Nivel de batería', 'Nível da bateria', 'Pil seviyesi', 'Poziom baterii', 'مستوى البطارية'),
    ('2', 'Report rate', '显示回报率', '顯示回報率', 'ポーリングレート', '폴링 레이트', 'Частота опроса', 'Tasa de sondeo', 'Taxa de sondagem', 'Raporlama hızı', 'Częstotliwość', 'معدل الإرسال'),
    ('3', 'Connection', '显示连接状态', '顯示連線狀態', '接続状態', '연결 상태', 'Состояние связи', 'Conexión', 'Conexão', 'Bağlantı', 'Połączenie', 'حالة الاتصال'),
]

# Modes of the receiver's indicator LEDs: (option, info) per language.
RECEIVER_STATUS = [
    (('Off', 'The LED stays off'), ('关闭', '指示灯常灭'), ('關閉', '指示燈常滅'), ('オフ', 'LEDは消灯したままです'),
     ('끄기', 'LED가 꺼진 상태로 유지됩니다'), ('Выкл.', 'Индикатор не горит'), ('Apagado', 'El LED permanece apagado'),
     ('Desligado', 'O LED fica apagado'), ('Kapalı', 'LED kapalı kalır'), ('Wyłączona', 'Dioda nie świeci'),
     ('إيقاف', 'يبقى المؤشر مطفأً')),
    (('Battery', 'Shows the battery level'), ('电量', '显示鼠标电量'), ('電量', '顯示滑鼠電量'), ('バッテリー', 'バッテリー残量を表示します'),
     ('배터리', '배터리 잔량을 표시합니다'), ('Заряд', 'Показывает уровень заряда'), ('Batería', 'Muestra el nivel de batería'),
     ('Bateria', 'Mostra o nível da bateria'), ('Pil', 'Pil seviyesini gösterir'), ('Bateria', 'Pokazuje poziom baterii'),
     ('البطارية', 'يعرض مستوى البطارية')),
    (('Report rate', 'Shows the report rate'), ('回报率', '显示当前回报率'), ('回報率', '顯示目前回報率'), ('レート', 'ポーリングレートを表示します'),
     ('폴링 레이트', '폴링 레이트를 표시합니다'), ('Частота', 'Показывает частоту опроса'), ('Tasa', 'Muestra la tasa de sondeo'),
     ('Taxa', 'Mostra a taxa de sondagem'), ('Hız', 'Raporlama hızını gösterir'), ('Częstotliwość', 'Pokazuje częstotliwość raportowania'),
     ('المعدل', 'يعرض معدل الإرسال')),
    (('Activity', 'Flashes while the mouse moves'), ('活动', '鼠标移动时闪烁'), ('活動', '滑鼠移動時閃爍'), ('動作', 'マウスの移動中に点滅します'),
     ('활동', '마우스가 움직일 때 깜박입니다'), ('Активность', 'Мигает при движении мыши'), ('Actividad', 'Parpadea al mover el ratón'),
     ('Atividade', 'Pisca quando o mouse se move'), ('Etkinlik', 'Fare hareket ederken yanıp söner'), ('Aktywność', 'Miga podczas ruchu myszy'),
     ('النشاط', 'يومض أثناء تحريك الفأرة')),
]

# Random-delay grades 0..9, each with its shortest and longest delay as children.
_GRADES = [(10, 100), (100, 200), (200, 300), (300, 500), (500, 1000), (10, 200), (10, 300), (10, 400),
           (10, 500), (10, 1000)]
_GRADE = ('Grade %d (%d~%dms)', '%d档(%d~%dms)', '%d檔(%d~%dms)', 'レベル%d(%d~%dms)', '%d단계(%d~%dms)',
          'Уровень %d (%d~%d мс)', 'Nivel %d (%d~%d ms)', 'Nível %d (%d~%d ms)', 'Seviye %d (%d~%d ms)',
          'Poziom %d (%d~%d ms)', 'المستوى %d (%d~%d ms)')
_MS = ('%d ms', '%dms', '%dms', '%dms', '%dms', '%d мс', '%d ms', '%d ms', '%d ms', '%d ms', '%d ms')
RANDOM_DELAYS = [(g,) + tuple(t % (g, lo, hi) for t in _GRADE) + (
    [(lo,) + tuple(m % lo for m in _MS), (hi,) + tuple(m % hi for m in _MS)],)
    for g, (lo, hi) in enumerate(_GRADES)]
