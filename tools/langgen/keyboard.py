# The keyboard section: the same files serve a keyboard product, whose texts the loader keeps apart.
# Rows: key or value, then en, zh-CN, zh-TW, ja, ko, ru, es, pt, tr, pl, ar.
from mouse_lists import INSERT_EVENTS, LIGHT_OFF_TIMES, REPORT_RATES
from mouse_shell import COMMON

_C = {r[0]: r for r in COMMON}
GROUPS = {
    'common': [_C['OK'], _C['Cancel'],
        ('DialogOffline', 'The keyboard is offline', '键盘已离线', '鍵盤已離線', 'キーボードがオフラインです', '키보드가 오프라인입니다', 'Клавиатура не в сети', 'El teclado está desconectado', 'O teclado está desconectado', 'Klavye çevrimdışı', 'Klawiatura jest offline', 'لوحة المفاتيح غير متصلة')],
    'key': [
        ('WinLock', 'Win key lock', 'Win键锁定', 'Win鍵鎖定', 'Winキーロック', 'Win 키 잠금', 'Блокировка Win', 'Bloqueo de Win', 'Bloqueio da tecla Win', 'Win tuşu kilidi', 'Blokada klawisza Win', 'قفل مفتاح Win'),
        ('RestoreKey', 'Restore this key', '恢复此按键', '恢復此按鍵', 'このキーを元に戻す', '이 키 복원', 'Вернуть клавишу', 'Restaurar esta tecla', 'Restaurar esta tecla', 'Bu tuşu geri al', 'Przywróć klawisz', 'استعادة هذا المفتاح')],
    'light': [
        ('Brightness', 'Brightness', '亮度', '亮度', '明るさ', '밝기', 'Яркость', 'Brillo', 'Brilho', 'Parlaklık', 'Jasność', 'السطوع'),
        ('Speed', 'Speed', '速度', '速度', '速度', '속도', 'Скорость', 'Velocidad', 'Velocidade', 'Hız', 'Prędkość', 'السرعة')],
    'macro': [
        ('MacroList', 'Macros', '宏列表', '巨集列表', 'マクロ一覧', '매크로 목록', 'Макросы', 'Macros', 'Macros', 'Makrolar', 'Makra', 'وحدات الماكرو')],
    'pair': [
        ('Pair', 'Pair', '配对', '配對', 'ペアリング', '페어링', 'Сопряжение', 'Emparejar', 'Emparelhar', 'Eşleştir', 'Paruj', 'اقتران')],
    'update': [
        ('Upgrade', 'Upgrade keyboard', '升级键盘', '升級鍵盤', 'キーボードを更新', '키보드 업그레이드', 'Обновить клавиатуру', 'Actualizar teclado', 'Atualizar teclado', 'Klavyeyi yükselt', 'Aktualizuj klawiaturę', 'ترقية لوحة المفاتيح')],
    'Settings': [
        ('Settings', 'Settings', '设置', '設定', '設定', '설정', 'Настройки', 'Ajustes', 'Configurações', 'Ayarlar', 'Ustawienia', 'الإعدادات')],
}

LISTS = {
    'ReportRates': [r for r in REPORT_RATES if r[0] <= 1000],
    'LightOffTimeOptions': LIGHT_OFF_TIMES,
    'keyboardTabList': [
        (0, 'Keys', '按键', '按鍵', 'キー', '키', 'Клавиши', 'Teclas', 'Teclas', 'Tuşlar', 'Klawisze', 'المفاتيح'),
        (1, 'Lighting', '灯光', '燈光', 'ライティング', '조명', 'Подсветка', 'Iluminación', 'Iluminação', 'Aydınlatma', 'Oświetlenie', 'الإضاءة'),
        (2, 'Macros', '宏', '巨集', 'マクロ', '매크로', 'Макросы', 'Macros', 'Macros', 'Makrolar', 'Makra', 'الماكرو'),
        (3, 'Settings', '设置', '設定', '設定', '설정', 'Настройки', 'Ajustes', 'Configurações', 'Ayarlar', 'Ustawienia', 'الإعدادات')],
    'DisableList': [
        (0, 'Win key', 'Win键', 'Win鍵', 'Winキー', 'Win 키', 'Клавиша Win', 'Tecla Win', 'Tecla Win', 'Win tuşu', 'Klawisz Win', 'مفتاح Win'),
        (1, 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab', 'Alt+Tab'),
        (2, 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4', 'Alt+F4')],
    'FunctionList': [
        (0, 'Keyboard key', '键盘按键', '鍵盤按鍵', 'キーボードのキー', '키보드 키', 'Клавиша', 'Tecla', 'Tecla', 'Klavye tuşu', 'Klawisz', 'مفتاح'),
        (1, 'Multimedia', '多媒体', '多媒體', 'マルチメディア', '멀티미디어', 'Мультимедиа', 'Multimedia', 'Multimídia', 'Multimedya', 'Multimedia', 'الوسائط المتعددة'),
        (2, 'Mouse function', '鼠标功能', '滑鼠功能', 'マウス機能', '마우스 기능', 'Функция мыши', 'Función del ratón', 'Função do mouse', 'Fare işlevi', 'Funkcja myszy', 'وظيفة الفأرة'),
        (3, 'Macro', '宏', '巨集', 'マクロ', '매크로', 'Макрос', 'Macro', 'Macro', 'Makro', 'Makro', 'ماكرو'),
        (4, 'Disabled', '禁用', '停用', '無効', '사용 안 함', 'Отключено', 'Desactivado', 'Desativado', 'Devre dışı', 'Wyłączony', 'معطّل')],
    'modeList': [
        (0, 'Office', '办公模式', '辦公模式', 'オフィス', '사무용', 'Офис', 'Oficina', 'Escritório', 'Ofis', 'Biuro', 'مكتبي'),
        (1, 'Game', '游戏模式', '遊戲模式', 'ゲーム', '게임', 'Игра', 'Juego', 'Jogo', 'Oyun', 'Gra', 'ألعاب')],
}
LISTS_COMMAND = {'InsertEventOptions': INSERT_EVENTS}

# keyboardKeyfunctions: (type, value, en, ..., ar).
KEY_FUNCTIONS = [
    ('0x00', '0x00', 'Default', '默认', '預設', 'デフォルト', '기본값', 'По умолчанию', 'Predeterminado', 'Padrão', 'Varsayılan', 'Domyślny', 'افتراضي'),
    ('0x01', '0x01', 'Left click', '左键', '左鍵', '左クリック', '왼쪽 클릭', 'Левый щелчок', 'Clic izquierdo', 'Clique esquerdo', 'Sol tık', 'Lewy klik', 'نقرة يسرى'),
    ('0x01', '0x02', 'Right click', '右键', '右鍵', '右クリック', '오른쪽 클릭', 'Правый щелчок', 'Clic derecho', 'Clique direito', 'Sağ tık', 'Prawy klik', 'نقرة يمنى'),
    ('0x02', '0x00E2', 'Mute', '静音', '靜音', 'ミュート', '음소거', 'Без звука', 'Silenciar', 'Mudo', 'Sessiz', 'Wycisz', 'كتم الصوت'),
    ('0x02', '0x00E9', 'Volume up', '音量加', '音量加', '音量を上げる', '볼륨 높이기', 'Громче', 'Subir volumen', 'Aumentar volume', 'Sesi aç', 'Głośniej', 'رفع الصوت'),
    ('0x02', '0x00EA', 'Volume down', '音量减', '音量減', '音量を下げる', '볼륨 낮추기', 'Тише', 'Bajar volumen', 'Diminuir volume', 'Sesi kıs', 'Ciszej', 'خفض الصوت'),
    ('0x03', '0x01', 'Win key lock', 'Win键锁定', 'Win鍵鎖定', 'Winキーロック', 'Win 키 잠금', 'Блокировка Win', 'Bloqueo de Win', 'Bloqueio da tecla Win', 'Win tuşu kilidi', 'Blokada klawisza Win', 'قفل مفتاح Win'),
    ('0x04', '0x01', 'Lights on/off', '灯光开关', '燈光開關', 'ライトのオン/オフ', '조명 켜기/끄기', 'Подсветка вкл./выкл.', 'Luces on/off', 'Luzes lig./desl.', 'Işıklar aç/kapat', 'Światła wł./wył.', 'تشغيل/إيقاف الإضاءة'),
    ('0x05', '0x01', 'Profile switch', '配置切换', '配置切換', 'プロファイル切替', '프로필 전환', 'Смена профиля', 'Cambiar perfil', 'Trocar perfil', 'Profil değiştir', 'Zmiana profilu', 'تبديل ملف التعريف'),
    ('0x06', '0x01', 'Macro', '宏', '巨集', 'マクロ', '매크로', 'Макрос', 'Macro', 'Macro', 'Makro', 'Makro', 'ماكرو'),
    ('0x07', '0x00', 'Disabled', '禁用', '停用', '無効', '사용 안 함', 'Отключено', 'Desactivado', 'Desativado', 'Devre dışı', 'Wyłączony', 'معطّل'),
    ('0x08', '0x01', 'Report rate switch', '切换回报率', '切換回報率', 'レート切替', '폴링 레이트 전환', 'Смена частоты опроса', 'Cambiar tasa de sondeo', 'Trocar taxa de sondagem', 'Raporlama hızını değiştir', 'Zmiana częstotliwości', 'تبديل معدل الإرسال'),
    ('0x09', '0x01', 'Brightness up', '亮度加', '亮度加', '明るさを上げる', '밝기 높이기', 'Ярче', 'Más brillo', 'Mais brilho', 'Parlaklığı artır', 'Jaśniej', 'زيادة السطوع'),
    ('0x0A', '0x01', 'Brightness down', '亮度减', '亮度減', '明るさを下げる', '밝기 낮추기', 'Темнее', 'Menos brillo', 'Menos brilho', 'Parlaklığı azalt', 'Ciemniej', 'خفض السطوع'),
]
