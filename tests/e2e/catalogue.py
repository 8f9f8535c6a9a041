import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from uA11y import *  # noqa: E402,F403

WORK = os.environ["E2E_WORK"]


def module_in(path):
    """The identifier of the module in a configuration file, once it holds one."""
    import sqlite3
    try:
        with sqlite3.connect(f"file:{path}?mode=ro", uri=True) as db:
            row = db.execute("SELECT ID FROM [Device] WHERE NA=1").fetchone()
            return row[0] if row else None
    except sqlite3.Error:
        return None


def session(app):
    press(find(window(app, "Режим работы"), "push button", "ОК"))
    catalogue = window(app, "Выбор конфигурации")

    # A new file, then the first module's site read into it.
    press(find(catalogue, "push button", "Создать"))
    entry = window(app, "Создание файла конфигурации")
    set_text(find(entry, "text", "Наименование:"), "Объект")
    set_text(find(entry, "text", "Файл конфигурации:"), os.path.join(WORK, "site"))
    press(find(entry, "push button", "ОК"))
    files = find(catalogue, "tree", "Конфигурации")
    select_row(files, "Объект", column=0)
    press(find(catalogue, "push button", "Считать"))
    answer(app, "Считать конфигурацию?", "Да")
    site = os.path.join(WORK, "site.cfg")
    until(lambda: True if module_in(site) == "0020FF78C534" else None, "the site read and saved")

    # Opened in the editor: loop 2/6 joins partition 1, and the file is saved.
    press(find(catalogue, "push button", "Выбрать"))
    editor = window(app, "Конфигурирование ЛОРИМ", role="frame")
    row_of(find(editor, "tree", "Расширители"), "ВМС-8")
    press(find(editor, "page tab", "Разделы"))
    select_row(find(editor, "tree", "Разделы"), "1", column=0)
    press(find(editor, "push button", "Добавить шлейфы"))
    adding = window(app, "Добавление шлейфов к разделу")
    select_row(find(adding, "tree", "Шлейфы"), "2/6", column=1)
    press(find(adding, "push button", "ОК"))
    row_of(find(editor, "tree", "Шлейфы"), "2/6", column=1)
    press(find(find(editor, "tool bar"), "push button", "Сохранить"))
    press(find(editor, "menu item", "Выход", showing=False))
    answer(app, "Вы действительо хотите завершить конфигурирование?", "Да")

    # The link to the second module, and the file written to it.
    catalogue = window(app, "Выбор конфигурации")
    press(find(catalogue, "push button", "Настройка связи"))
    link = window(app, "Настройка связи")
    find(link, "spin button", "Порт:").queryValue().currentValue = float(os.environ["E2E_SECOND"])
    press(find(link, "push button", "ОК"))
    answer(app, "Вы действительно хотите изменить настройки?", "Да")
    press(find(catalogue, "push button", "Записать"))
    answer(app, "Записать конфигурацию?", "Да")
    answer(app, "Конфигурация записана", None)
    until(lambda: True if os.path.exists(os.path.join(WORK, "second.cfg")) else None,
          "the second module saved")
    focus(find(catalogue, "tree", "Конфигурации"))
    keys("Escape")
    press(find(window(app, "Режим работы"), "push button", "Выход"))


run(session)
