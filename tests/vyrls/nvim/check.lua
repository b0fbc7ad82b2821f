-- Neovim with the player's init.lua of doc/vyrls.md: what it received, written
-- to $VYRLS_OUT line by line, then Neovim ends. Started by run.sh after the
-- first orders file is loaded. With VYRLS_MODE=failed vyrls is not on PATH and
-- only the notices of the failed start are written.
local out = os.getenv("VYRLS_OUT")
local written = {}
local function say(text) table.insert(written, text) end
local function finish()
  local file = io.open(out, "w")
  file:write(table.concat(written, "\n") .. "\n")
  file:close()
  vim.cmd("qa!")
end
local function count(map)
  local n = 0
  for _ in pairs(map or {}) do n = n + 1 end
  return n
end
local function clients()
  return string.format("clients of the buffer %d, running %d", count(vim.lsp.buf_get_clients(0)),
    count(vim.lsp.get_active_clients()))
end

if os.getenv("VYRLS_MODE") == "failed" then
  for _, notice in ipairs(_G.vyrls_notices) do
    if notice:find("^vyrls") then say("notice: " .. notice) end
  end
  say(clients())
  finish()
  return
end

local published = 0
local publish = vim.lsp.handlers["textDocument/publishDiagnostics"]
vim.lsp.handlers["textDocument/publishDiagnostics"] = function(...)
  published = published + 1
  return publish(...)
end

local names = { "error", "warning", "information", "hint" }
local function diagnostics(buffer)
  local all = vim.diagnostic.get(buffer)
  table.sort(all, function(a, b)
    if a.lnum ~= b.lnum then return a.lnum < b.lnum end
    return a.col < b.col
  end)
  local lines = {}
  for _, d in ipairs(all) do
    local lsp = (d.user_data or {}).lsp or {}
    table.insert(lines, string.format("%d:%d-%d:%d %s [%s] %s", d.lnum + 1, d.col + 1, d.end_lnum + 1,
      d.end_col + 1, names[d.severity], d.code or lsp.code or "", d.message))
  end
  return lines
end
local function hasHint(buffer)
  for _, d in ipairs(vim.diagnostic.get(buffer)) do
    if d.severity == vim.diagnostic.severity.HINT then return true end
  end
  return false
end
local function wait(what, condition)
  if not vim.wait(20000, condition, 10) then error("timed out waiting for " .. what, 0) end
end

-- What Neovim did is written however far it got.
local function main()

-- The first orders file: its diagnostics and one completion list.
local first = vim.api.nvim_get_current_buf()
wait("the diagnostics", function() return #vim.diagnostic.get(first) > 0 end)
local before = diagnostics(first)
for _, line in ipairs(before) do say(line) end
local row
for n, text in ipairs(vim.api.nvim_buf_get_lines(0, 0, -1, false)) do
  if text == "  RECRUIT 40 Pikemenn" then row = n - 1 end
end
local params = { textDocument = vim.lsp.util.make_text_document_params(), position = { line = row, character = 13 } }
local labels = {}
for _, answer in pairs(vim.lsp.buf_request_sync(0, "textDocument/completion", params, 10000) or {}) do
  for _, item in ipairs((answer.result or {}).items or {}) do table.insert(labels, item.label) end
end
say("completion: " .. table.concat(labels, " "))

-- Reloaded twice and its file type set again: still one server, and every
-- finding once.
for _, command in ipairs({ "edit!", "edit!" }) do
  local seen = published
  vim.cmd(command)
  -- A reload may first clear the diagnostics (the document closed and opened again).
  wait("the diagnostics after " .. command,
    function() return published > seen and #vim.diagnostic.get(first) > 0 end)
end
vim.cmd("set filetype=vyr")
say("after reloading: " .. clients())
local same = vim.wait(20000, function() return vim.deep_equal(diagnostics(first), before) end, 10)
say(same and "the same diagnostics" or "other diagnostics")

-- A second orders file is served by the same server; its header names game 7.
vim.cmd("edit orders-two.txt")
local second = vim.api.nvim_get_current_buf()
wait("the second file's diagnostics", function() return #vim.diagnostic.get(second) > 0 end)
say("second file: " .. clients())
for _, line in ipairs(diagnostics(second)) do say(line) end

-- The colours of the syntax file, at a field of each kind.
local groups = {}
for _, at in ipairs({ { 1, 1 }, { 2, 1 }, { 3, 1 }, { 3, 8 }, { 3, 24 }, { 4, 8 }, { 5, 4 }, { 6, 7 }, { 7, 1 } }) do
  table.insert(groups, vim.fn.synIDattr(vim.fn.synID(at[1], at[2], 1), "name"))
end
say("syntax " .. vim.bo.syntax .. ": " .. table.concat(groups, " "))

-- The game switched: the hint moves from the second file's header to the first's.
vim.cmd("VyrGame 7")
wait("the switched game", function() return hasHint(first) and not hasHint(second) end)
say("after :VyrGame 7:")
for _, line in ipairs(diagnostics(second)) do say(line) end
for _, line in ipairs(diagnostics(first)) do
  if line:find("^1:") or line:find("^2:") then say(line) end
end
end

local ok, fault = pcall(main)
if not ok then say("error: " .. tostring(fault)) end
finish()
