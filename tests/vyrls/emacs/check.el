;;; check.el --- Emacs, in batch, with the player's init.el of doc/vyrls.md.
;; Started by run.sh: does what Emacs's start-up and command loop do for a
;; player (activate the installed packages, load init.el, run the hooks after
;; the command that opened the orders file), then writes the diagnostics the
;; buffer received, the servers running, and the diagnostics of the header
;; after the game is switched as the document says, to $VYRLS_OUT.

(defvar vyrls-written nil)
(defun vyrls-say (format-string &rest arguments)
  (push (apply #'format format-string arguments) vyrls-written))

(defun vyrls-diagnostics ()
  (let ((all (sort (copy-sequence (flymake-diagnostics))
                   (lambda (a b) (< (flymake-diagnostic-beg a) (flymake-diagnostic-beg b))))))
    (mapcar (lambda (d)
              (let ((beg (flymake-diagnostic-beg d)) (end (flymake-diagnostic-end d)))
                (format "%d:%d-%d:%d %s %s"
                        (line-number-at-pos beg) (save-excursion (goto-char beg) (1+ (current-column)))
                        (line-number-at-pos end) (save-excursion (goto-char end) (1+ (current-column)))
                        (flymake-diagnostic-type d) (flymake-diagnostic-text d))))
            all)))

(defun vyrls-wait (what condition)
  (let ((deadline (+ (float-time) 20)))
    (while (and (not (funcall condition)) (< (float-time) deadline))
      (accept-process-output nil 0.01))
    (unless (funcall condition) (error "timed out waiting for %s" what))))

(defun vyrls-servers ()
  (let ((count 0))
    (maphash (lambda (_project servers) (setq count (+ count (length servers)))) eglot--servers-by-project)
    count))

(condition-case fault
    (progn
      (package-initialize)
      (load (expand-file-name "~/.emacs.d/init.el") nil t)
      (find-file "orders.txt")
      (run-hooks 'post-command-hook)
      (vyrls-wait "the diagnostics" (lambda () (flymake-diagnostics)))
      (vyrls-say "mode %s, servers %d" major-mode (vyrls-servers))
      (dolist (line (vyrls-diagnostics)) (vyrls-say "%s" line))
      ;; The row of "Switching the game": the form, then the command after M-x.
      (with-temp-buffer
        (insert-file-contents (getenv "VYRLS_SWITCH"))
        (goto-char (point-min))
        (let ((form (read (current-buffer))) (command (read (current-buffer))))
          (with-current-buffer "orders.txt"
            (eval form t)
            (call-interactively command))))
      (vyrls-wait "the switched game"
                  (lambda () (cl-some (lambda (d) (eq (flymake-diagnostic-type d) 'eglot-note)
                                        (string-match-p "header names game 1" (flymake-diagnostic-text d)))
                                      (flymake-diagnostics))))
      (vyrls-say "after switching to game 7, servers %d:" (vyrls-servers))
      (dolist (line (vyrls-diagnostics))
        (when (string-match-p "\\`[12]:" line) (vyrls-say "%s" line))))
  (error (vyrls-say "error: %s" (error-message-string fault))))

(with-temp-file (getenv "VYRLS_OUT")
  (insert (mapconcat #'identity (reverse vyrls-written) "\n") "\n"))
