// Resource IDs of Update.exe.
#pragma once
#define IDI_UPDATE 1
