#!/usr/bin/env python3
# Writes resources/Language/*.json, the already-running notice's XML files and keys.txt from the tables
# in this folder. Run it after editing a table; the language test checks the output against the code.
import json
import os
import sys
from xml.sax.saxutils import escape

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import keyboard
import mouse_lists as ml
import mouse_pages as mp
import mouse_shell as ms

# Column order of every table row, with the file each column becomes.
FILES = ['en.json', 'zh-CN.json', 'zh-TW.json', 'ja.json', 'ko.json', 'ru.json', 'es.json', 'pt.json',
         'tr.json', 'Polski.json', 'ar.json']
COLS = len(FILES)
GROUP_NAMES = {'AdvancedSettings', 'Settings', 'common', 'home', 'infoTips', 'key', 'light', 'macro',
               'pair', 'sensor', 'update'}

MOUSE_GROUPS = {
    'home': ms.HOME, 'common': ms.COMMON, 'Settings': ms.SETTINGS, 'pair': ms.PAIR, 'update': ms.UPDATE,
    'infoTips': ms.INFO_TIPS, 'sensor': mp.SENSOR, 'AdvancedSettings': mp.ADVANCED, 'key': mp.KEY,
    'macro': mp.MACRO, 'light': mp.LIGHT,
}
# Nested objects inside a group: their members are looked up in the enclosing group.
NESTED = {('light', 'LightMode'): mp.LIGHT_MODES}

# Map-shaped mouse lists: name -> (member holding the key, member holding the text, rows).
MOUSE_LISTS = {
    'KeyOptions': ('value', 'label', ml.KEY_OPTIONS),
    'ReportRates': ('value', 'option', ml.REPORT_RATES),
    'LightOffTimeOptions': ('value', 'option', ml.LIGHT_OFF_TIMES),
    'InsertEventOptions': ('command', 'option', ml.INSERT_EVENTS),
    'tabsList': ('id', 'option', ml.TABS),
    'dpiModeOptions': ('value', 'option', ml.DPI_MODES),
    'ProfileOptions': ('value', 'option', ml.PROFILES),
    'DPIEffectOptions': ('value', 'option', ml.DPI_EFFECTS),
    'LightModeOptions': ('value', 'option', ml.LIGHT_MODE_OPTIONS),
    'receiverList': ('value', 'option', ml.RECEIVERS),
    'LODOptions': ('value', 'option', ml.LODS),
    'PerformanceOptions': ('value', 'option', ml.PERFORMANCE),
    'SensorModeOptions': ('value', 'option', ml.SENSOR_MODES),
    'StatusDescriptionList': ('value', 'option', ml.STATUS_DESCRIPTIONS),
}

# The already-running notice reads these files by its own legacy numbering.
EXE_IS_RUN_KEYS = ['OnRun', 'CheckUpdate', 'DialogSelectMacroFirst', 'DialogStopRecordFirst', 'OK', 'Cancel']
EXE_IS_RUN_XML = {'0-English.xml': 0, '2-zh-CNtr.xml': 2, '3-Korea.xml': 4, '4-Russia.xml': 5,
                  '5-Japanese.xml': 3}


# Labels file: per dialog, the English texts of its keys in label, label_1, ... order.
NET = [
    ('Sensor', ['sensor.DPISetting', 'sensor.ReportRate', 'sensor.SensorSetting', 'sensor.LOD']),
    ('Match', ['pair.StartPair', 'pair.NoPair', 'pair.DialogPairTips']),
    ('Light', ['light.LightBar', 'light.Brightness', 'light.Speed', 'light.DPILight']),
    ('AddKey', ['common.EnterKey', 'common.OK', 'common.Cancel']),
    ('groupKey', ['common.ComKey', 'common.OK', 'common.Cancel']),
    ('UpDataParam', ['common.DialogUpdating']),
    ('ScreenInfo', ['home.DeviceList', 'home.SelectDevice']),
    ('SameMacro', ['common.DialogSameMacroName', 'common.OK']),
    ('RePair', ['pair.RepairTips', 'pair.Repair', 'pair.Cancel']),
    ('QuestionB', ['common.ErrorDevice']),
    ('Question', ['common.DialogInputMacroName', 'common.OK', 'common.Cancel']),
    ('Progress', ['update.DialogUpgradeUpgrading', 'update.DialogUpgradeSuccess', 'update.DialogUpgradeFail']),
    ('NewVer', ['common.UpgradeTips', 'common.OK']),
    ('MouseOffLine', ['common.DialogOffline', 'common.OK']),
    ('MaxThree', ['common.DialogMaxThreeKey', 'common.OK']),
    ('MakeMacro', ['common.DialogSelectMacroFirst', 'common.OK']),
    ('Macro', ['macro.MacroList', 'macro.StartRecord', 'macro.StopRecord']),
    ('Limit', ['common.DialogMaxMacroKey', 'common.OK']),
    ('LessThree', ['common.DialogDebounceTips', 'common.OK']),
    ('InportFail', ['common.DialogEConfigMismatch', 'common.OK']),
    ('DeleteConfirm', ['common.DialogDeleteMacro', 'common.OK']),
    ('UpDateWarning', ['update.WarnUpdate', 'common.OK']),
    ('ContainReset', ['common.DialogRestore', 'common.OK', 'common.Cancel']),
    ('LeftButtonOnly', ['common.DialogKeepLeftKey', 'common.OK']),
    ('FireKey', ['common.DialogFireKeyInterval', 'common.DialogFireKeyTimes', 'common.DialogFireKeyTips']),
    ('AddDelayTime', ['common.EnterDelay', 'common.OK', 'common.Cancel']),
]


def check_rows(name, rows, width):
    for r in rows:
        if len(r) != width:
            sys.exit('%s: row %r has %d columns, not %d' % (name, r[0], len(r), width))
        for t in r[width - COLS:]:
            if not isinstance(t, str) or not t:
                sys.exit('%s: row %r has an empty text' % (name, r[0]))


def map_list(key_member, text_member, rows, col):
    return [{key_member: r[0], text_member: r[1 + col]} for r in rows]


def mouse_section(col):
    out = {}
    for group, rows in MOUSE_GROUPS.items():
        g = {}
        for r in rows:
            if r[0] in GROUP_NAMES and r[0] != group:
                sys.exit('%s.%s: a key named like another group would switch the group' % (group, r[0]))
            if r[0] in g and g[r[0]] != r[1 + col]:
                sys.exit('%s.%s: two different texts' % (group, r[0]))
            g[r[0]] = r[1 + col]
        out[group] = g
    for (group, member), rows in NESTED.items():
        out[group][member] = {r[0]: r[1 + col] for r in rows}
    for name, (k, t, rows) in MOUSE_LISTS.items():
        out[name] = map_list(k, t, rows, col)
    out['receiverStatusList'] = [{'option': e[col][0], 'info': e[col][1]} for e in ml.RECEIVER_STATUS]
    out['randomDelayList'] = [
        {'option': r[1 + col], 'value': r[0],
         'children': [{'option': c[1 + col], 'value': c[0]} for c in r[1 + COLS]]}
        for r in ml.RANDOM_DELAYS]
    return out


def keyboard_section(col):
    out = {g: {r[0]: r[1 + col] for r in rows} for g, rows in keyboard.GROUPS.items()}
    for name, rows in keyboard.LISTS.items():
        out[name] = map_list('value', 'option', rows, col)
    for name, rows in keyboard.LISTS_COMMAND.items():
        out[name] = map_list('command', 'option', rows, col)
    out['keyboardKeyfunctions'] = [{'type': r[0], 'value': r[1], 'label': r[2 + col]}
                                   for r in keyboard.KEY_FUNCTIONS]
    return out


def main():
    for group, rows in MOUSE_GROUPS.items():
        check_rows(group, rows, 1 + COLS)
    for name, (_, _, rows) in MOUSE_LISTS.items():
        check_rows(name, rows, 1 + COLS)
    for group, rows in keyboard.GROUPS.items():
        check_rows('keyboard.' + group, rows, 1 + COLS)
    check_rows('keyboardKeyfunctions', keyboard.KEY_FUNCTIONS, 2 + COLS)

    out = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'resources', 'Language')
    for col, name in enumerate(FILES):
        doc = {'keyboard': keyboard_section(col), 'mouse': mouse_section(col)}
        with open(os.path.join(out, name), 'w', encoding='utf-8') as f:
            json.dump(doc, f, ensure_ascii=False, indent=1)
            f.write('\n')

    common = {r[0]: r for r in ms.COMMON}
    for name, col in EXE_IS_RUN_XML.items():
        with open(os.path.join(out, name), 'w', encoding='utf-8') as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<ExeIsRun>\n')
            for key in EXE_IS_RUN_KEYS:
                f.write('  <%s>%s</%s>\n' % (key, escape(common[key][1 + col]), key))
            f.write('</ExeIsRun>\n')

    english = {g + '.' + r[0]: r[1] for g, rows in MOUSE_GROUPS.items() for r in rows}
    with open(os.path.join(out, 'Net.xml'), 'w', encoding='utf-8') as f:
        f.write('<?xml version="1.0" encoding="UTF-8"?>\n<Profile>\n')
        for dialog, keys in NET:
            f.write('  <%s>' % dialog)
            for i, key in enumerate(keys):
                tag = 'label' if i == 0 else 'label_%d' % i
                f.write('<%s>%s</%s>' % (tag, escape(english[key]), tag))
            f.write('</%s>\n' % dialog)
        f.write('</Profile>\n')

    with open(os.path.join(out, 'keys.txt'), 'w', encoding='utf-8') as f:
        f.write('# Generated by tools/langgen/gen.py. Every mouse text the program may look up:\n'
                '# "group key" for texts, "@list key" for entries of a map-shaped option list,\n'
                '# then a tab and the English text.\n')
        for group, rows in MOUSE_GROUPS.items():
            for key, text in dict((r[0], r[1]) for r in rows).items():
                f.write('%s %s\t%s\n' % (group, key, text))
        for (group, _), rows in NESTED.items():
            for r in rows:
                f.write('%s %s\t%s\n' % (group, r[0], r[1]))
        for name, (_, _, rows) in MOUSE_LISTS.items():
            for r in rows:
                f.write('@%s %s\t%s\n' % (name, r[0], r[1]))


if __name__ == '__main__':
    main()
