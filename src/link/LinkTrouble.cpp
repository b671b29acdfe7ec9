#include "LinkTrouble.h"

LinkTrouble troubleOf(FtStatus status, LinkTrouble driverSays) {
    if (driverSays != LinkTrouble::None)
        return driverSays;
    return status == FT_DEVICE_NOT_FOUND ? LinkTrouble::Gone : LinkTrouble::None;
}

std::string adviceFor(LinkTrouble trouble) {
    switch (trouble) {
    case LinkTrouble::NoPermission:
        return "Нет прав на адаптер. Установите программу из пакета (правило udev "
               "70-ze23-ftdi.rules открывает адаптеры FTDI вошедшему пользователю) или "
               "добавьте пользователя в группу dialout: sudo usermod -aG dialout $USER. "
               "После этого выйдите из системы и войдите снова.";
    case LinkTrouble::Busy:
        return "Адаптер занят другой программой (терминалом или второй копией этой "
               "программы). Закройте её и откройте адаптер снова.";
    case LinkTrouble::Gone:
        return "Адаптер отключён или не отвечает. Проверьте кабель USB, подключите "
               "адаптер снова и нажмите «Обновить список устройств».";
    case LinkTrouble::None:
        break;
    }
    return {};
}
