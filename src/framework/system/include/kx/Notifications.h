#pragma once
// The whole notification system.
#include "kx/Notification.h"
#include "kx/NotificationCenter.h"
#include "kx/NotificationClient.h"
#include "kx/NotificationDistributor.h"
#include "kx/NotificationHandler.h"
#include "kx/NotificationId.h"
#include "kx/NotificationQueue.h"
#include "kx/NotificationReceiver.h"
