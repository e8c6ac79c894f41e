// The user-interface layer's first unit; windows and dialogs join it here.
namespace karvel::ui {}
