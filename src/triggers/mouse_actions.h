// Click and corner actions: which command each click kind and screen corner posts.
#pragma once

int SetMouseAction(int command);
