"""The shipped ze23-setup --simulate's stand calibration driven as a
technician would, over the accessibility bus: the virtual ТКС's stand of 32
positions calibrated from the multiplexer window in one pass of gas, the
gas control turning to each gas the stand asks for and the technician
saying when it is on; the batch's report saved through the file dialog and
read back with pdftotext; then, from the journal shown by the batch, the
report made again.

Run by tests/e2e/run-shipped.sh, which starts the program; the folder where
the files go is the first argument."""

import os
import subprocess
import sys
import time

from atspi import click, enabled, field, find, find_all, press, type_into, wait_for, window
from calibrate_tks import MAIN, open_virtual_tks, save_through_dialog, step

OUT = sys.argv[1]


def main():
    main_window = window(MAIN)
    step("open the virtual ТКС and its multiplexer window")
    open_virtual_tks(main_window)
    press(find(main_window, "push button", "Управление мультиплексором"))
    press(find(window("Управление мультиплексором"), "push button", "Калибровка стенда…"))

    step("every position fitted; who, the cylinder; start")
    stand = window("Калибровка стенда")
    type_into(field(stand, "Калибровку выполняет:"), "Сидоров П. П.")
    type_into(field(stand, "Баллон, номер или партия:"), "E2E-0002")
    type_into(field(stand, "Газ баллона:"), "CH4 в воздухе")
    type_into(field(stand, "Концентрация, %:"), "2,50")
    type_into(field(stand, "Поставщик:"), "ООО «Мониторинг»")
    press(find(stand, "push button", "Начать калибровку стенда"))

    step("say when each gas is on, until the stand is done")
    gases = 0
    deadline = time.monotonic() + 1500
    while time.monotonic() < deadline:
        report = find(stand, "push button", "Отчёт партии (PDF)…")
        if report is not None:
            break
        ready = find(stand, "push button", "Газ подан")
        if ready is not None and enabled(ready):
            gases += 1
            print(f"   gas {gases}", flush=True)
            press(ready)
            time.sleep(2)
        time.sleep(1)
    else:
        raise AssertionError("the stand was not done in 25 minutes")
    assert gases == 5, gases
    done = find(stand, "label", starts="Калибровка стенда окончена")
    print(f"   {done.name if done else '(no summary)'}", flush=True)
    assert done is not None and "настроено 28" in done.name and "не годны 1" in done.name \
        and "пустых позиций 3" in done.name, done and done.name
    wait_for(lambda: find(stand, "label", "Записей партии в журнале: 29."), 30,
             "the batch's 29 records in the journal")
    batch = find(stand, "label", starts="Партия ").name.split()[1].rstrip(".")

    step("save the batch's report")
    pdf = os.path.join(OUT, "partiya.pdf")
    press(report)
    save_through_dialog("Сохранить отчёт партии", pdf)
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True, text=True,
                          check=True).stdout
    assert "Партия " + batch in text, batch
    assert text.count("пусто: блок не") == 3, text
    assert "настроены и годны: 28" in " ".join(text.split()), text

    step("the journal by the batch, and its report again from there")
    press([t for t in find_all(main_window, "page tab") if t.name == "Устройства USB"][0])
    press(wait_for(lambda: find(main_window, "push button", "Журнал калибровок…"), 10,
                   "«Журнал калибровок…» on the device page"))
    journal = window("Журнал калибровок")
    type_into(field(journal, "Партия стенда:"), batch)
    press(find(journal, "push button", "Показать"))
    wait_for(lambda: find(journal, "label", starts="Показано записей: 29 из"), 20,
             "the batch's 29 records shown")
    click(find(journal, "table cell", "Сидоров П. П."))
    again = os.path.join(OUT, "partiya-iz-zhurnala.pdf")
    press(find(journal, "push button", "Отчёт партии…"))
    save_through_dialog("Сохранить отчёт партии", again)
    text = " ".join(subprocess.run(["pdftotext", "-layout", again, "-"], capture_output=True,
                                   text=True, check=True).stdout.split())
    assert "Партия " + batch in text and "настроены и годны: 28" in text, text
    assert "пустых: 0" in text and "не записываются" in text, text
    step("done")


if __name__ == "__main__":
    main()
