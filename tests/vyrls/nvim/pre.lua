-- Run before the player's init.lua: every message that vim.notify shows is
-- kept, so that the test can see what a failed start reported.
_G.vyrls_notices = {}
local notify = vim.notify
vim.notify = function(message, level, options)
  table.insert(_G.vyrls_notices, message)
  return notify(message, level, options)
end
