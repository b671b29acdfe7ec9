"""The shipped ze23-setup --simulate driven as a technician would, over the
accessibility bus: the virtual ТКС opened from the device list, calibrated
to its end, its certificate saved through the file dialog and read back with
pdftotext, then the journal opened and its CSV exported the same way.

Run by tests/e2e/run-shipped.sh, which starts the program; the folder where
the files go is the first argument."""

import os
import subprocess
import sys
import time

from atspi import (click, enabled, field, find, find_all, press, type_into, wait_for,
                   window)

OUT = sys.argv[1]
MAIN = "Настройка приборов серии ЗЭ23 V1.0"


def step(text):
    print(f"-- {text}", flush=True)


def save_through_dialog(title, path):
    """Types `path` into the file dialog titled `title` and saves."""
    dialog = window(title)
    name = wait_for(lambda: find(dialog, "text", "Имя файла:")
                    or find(dialog, "text", "File name:"), 10, "the file name field")
    type_into(name, path)
    save = find(dialog, "push button", "Сохранить") or find(dialog, "push button", "Save")
    press(save)
    wait_for(lambda: os.path.exists(path), 20, path)


def open_virtual_tks(main_window):
    """The virtual ТКС opened from the device list, and identified."""
    click(find(main_window, "table cell", "ЗЭ-23 виртуальный: ТКС"), times=2)
    wait_for(lambda: find(main_window, "label", starts="Последняя калибровка")
             or find(main_window, "label", "Калибровок в журнале нет."), 20,
             "the instrument identified")


def main():
    main_window = window(MAIN)
    step("open the virtual ТКС from the device list")
    open_virtual_tks(main_window)
    tab = [t for t in find_all(main_window, "page tab") if t.name in ("ТКС", "Блок ТКС")][0]
    press(tab)
    press(wait_for(lambda: find(main_window, "push button", "Калибровка…"), 10,
                   "«Калибровка…» on the ТКС page"))

    step("fill in who calibrates, the cylinder and the rule, and start")
    cal = window("Калибровка")
    type_into(field(cal, "Калибровку выполняет:"), "Сидоров П. П.")
    type_into(field(cal, "Баллон, номер или партия:"), "E2E-0001")
    type_into(field(cal, "Газ баллона:"), "CH4 в воздухе")
    type_into(field(cal, "Концентрация, %:"), "2,50")
    type_into(field(cal, "Погрешность концентрации, ± %:"), "0,05")
    type_into(field(cal, "Поставщик:"), "ООО «Мониторинг»")
    # The shortest wait the window takes, so that the run stays short.
    field(cal, "Показание устойчиво за, с").queryValue().currentValue = 5
    press(find(cal, "push button", "Начать"))

    step("answer each step until the calibration ends")
    certificate = None
    deadline = time.monotonic() + 600
    last = None
    while time.monotonic() < deadline:
        certificate = find(cal, "push button", "Сохранить свидетельство…")
        if certificate is not None and enabled(certificate):
            break
        for caption in ("Газ подан", "Настроить", "Записать в блок"):
            button = find(cal, "push button", caption)
            if button is not None and enabled(button):
                if caption != last:
                    print(f"   {caption}", flush=True)
                last = caption
                press(button)
                break
        time.sleep(0.5)
    else:
        raise AssertionError("the calibration did not end in 10 minutes")
    outcome = find(cal, "label", starts="Итог:")
    print(f"   {outcome.name if outcome else '(no outcome shown)'}", flush=True)
    assert outcome is not None and "Настроен" in outcome.name, outcome and outcome.name
    assert "сохранена в журнале" in outcome.name, outcome.name

    step("save the certificate through the file dialog")
    pdf = os.path.join(OUT, "svidetelstvo.pdf")
    press(certificate)
    save_through_dialog("Сохранить свидетельство о калибровке", pdf)
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                          text=True, check=True).stdout
    for expected in ("Свидетельство о калибровке", "23101", "Сидоров П. П.", "E2E-0001"):
        assert expected in text, f"the certificate lacks «{expected}»"

    step("open the journal and export what it shows")
    press(find(cal, "push button", "Журнал…"))
    journal = window("Журнал калибровок")
    wait_for(lambda: find(journal, "table cell", "Сидоров П. П."), 10, "the record in the journal")
    csv = os.path.join(OUT, "zhurnal.csv")
    press(find(journal, "push button", "Экспорт CSV…"))
    save_through_dialog("Экспорт журнала калибровок", csv)
    with open(csv, encoding="utf-8-sig") as f:
        rows = f.read().splitlines()
    assert len(rows) == 2 and "23101" in rows[1] and "E2E-0001" in rows[1], rows
    step("done")


if __name__ == "__main__":
    main()
